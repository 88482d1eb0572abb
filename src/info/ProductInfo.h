// The texts of the About dialog and the maker's addresses it links to.
#pragma once

#include <QString>

inline const QString kAboutProduct = QStringLiteral("Quenzor SW93051");
inline const QString kAboutFunction = QStringLiteral("Modbus TCP Slave to Korvane");
inline const QString kAboutVersion = QStringLiteral("Version 1.001");
// The maker's product page, linked from the main window and the About dialog.
inline const QString kMakerWebPage = QStringLiteral("https://www.velmara.example/quenzor");
inline const QString kMakerSupportMail = QStringLiteral("support@velmara.example");
