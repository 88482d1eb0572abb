// XML document access for every project file: load with a readable parser message, find
// children by exact name, and save the rebuilt document atomically without a declaration
// or white space.
#pragma once

#include "common/Result.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>

#include <optional>

// Loads `path` into `doc`, replacing what it held. The failure is the parser's reason with its
// line and the start of the offending text, or the reason the file could not be opened. The
// file's bytes go to `source` when given (for ElementTextAsWritten).
Result<> LoadXmlFile(QDomDocument& doc, const QString& path, QByteArray* source = nullptr);
// The same for text already in memory; a non-empty `path` names the file it was read from.
Result<> LoadXmlText(QDomDocument& doc, const QByteArray& text, const QString& path = {});

// Project files are two levels deep; far deeper nesting is no project file.
inline constexpr int kMaxXmlDepth = 32;
// The loaders' failures in their words, for a reader that streams a file instead: nesting
// beyond kMaxXmlDepth at `line`, and the parser's `reason` at its line and column.
QString XmlTooDeepMessage(const QString& path, qint64 line);
QString XmlParseMessage(const QByteArray& text, const QString& reason, qint64 line, qint64 column);

// The top-level element of that exact name, or a null element.
QDomElement TopLevelElement(const QDomDocument& doc, const QString& name);

// The first child element of that exact (case-sensitive) name, or a null element.
QDomElement ChildElement(const QDomElement& parent, const QString& name);

// The element's text content.
QString ElementText(const QDomElement& element);
// The same, for an element of the document loaded from `source`, keeping a text of white space
// alone, which the DOM drops: "<a>  </a>" gives two spaces, where ElementText gives none.
QString ElementTextAsWritten(const QDomElement& element, const QByteArray& source);

// Removes every node of the document, so that a writer rebuilds the whole file.
void ClearDocument(QDomDocument& doc);

// Appends <name>text</name> to `parent`.
QDomElement AppendTextElement(QDomDocument& doc, QDomElement& parent, const QString& name,
                              const QString& text);

// The document as UTF-8 text without declaration or white space between elements.
QByteArray SerializeXml(const QDomDocument& doc);

// Saves the document to `path`, replacing the file atomically;
// the failure is "Cannot create file "<path>". <reason>".
Result<> SaveXmlFile(const QDomDocument& doc, const QString& path);
