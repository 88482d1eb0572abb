// The strings file of the string selector: an XML document whose document element's child
// nodes are the strings, indexed from 0, and the selector's process-wide settings.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The selector has rows for the indices 0 to 999.
inline constexpr int kMaxStrings = 1000;

struct TSelStringSettings {
    QString StringsFilePath;     // set by whoever opens the selector
    int SelectedStringIndex = 0; // preselected at the next opening
};

// The one instance for the whole run.
TSelStringSettings& SelStringSettings();

struct TStringsFile {
    QStringList Strings;          // at most kMaxStrings, in document order
    int Total = 0;                // child nodes of the document element
    std::optional<QString> Error; // set when the file could not be read as XML
};

// Reads the strings of an existing file: the text of each child node of the document
// element, in order.
TStringsFile ReadStringsFile(const QString& path);
