// The table names of the CANopen editors and where their files lie in a project folder.
#pragma once

#include <QString>

inline const QString kSdoTable = QStringLiteral("sdo");
inline const QString kPdoTable = QStringLiteral("rpdodef");
inline const QString kStorePdoTable = QStringLiteral("sdopdo");
inline const QString kEmcyTable = QStringLiteral("emcydef");
inline const QString kEmcyWordTable = QStringLiteral("emcyword");

// The table file: the project folder, the table name, ".xml".
QString TableFilePath(const QString& projectFolder, const QString& tableName);
// The export file: the project folder, "/", the table name, ".csv".
QString ExportFilePath(const QString& projectFolder, const QString& tableName);
