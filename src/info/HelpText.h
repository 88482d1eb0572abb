// The help text beside the program: where it is and how it reads, rich or plain.
#pragma once

#include <QString>

#include <optional>

inline const QString kHelpUnreadableMessage = QStringLiteral("Impossible to read file Help");

// "help" + ProductVariant + ".dat" in the program folder.
QString HelpFilePath(const QString& programFolder);

struct HelpDocument {
    bool rich = false; // `text` is HTML; otherwise plain text
    QString text;
};

// The file as the help view shows it: rich text formatted, anything else (a damaged rich-text
// file included) as plain text in the system's single-byte code page, or UTF-8 after a byte
// order mark. nullopt when it cannot be read.
std::optional<HelpDocument> LoadHelpDocument(const QString& path);
