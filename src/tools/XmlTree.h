// The XML tool's view of a document: parsed files become a flat, depth-first list of rows
// (depth, image index, caption), and such a list is written back as an XML file.
#pragma once

#include "common/Result.h"

#include "tools/XMLReader.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Image indices of the tree: twice the node kind; the selected image is one more.
inline int XmlImageIndex(TXMLNodeKind kind) {
    return 2 * static_cast<int>(kind);
}
inline constexpr int kXmlDocumentImage = 0;
inline constexpr int kXmlElementImage = 2;
inline constexpr int kXmlAttributeImage = 4;
inline constexpr int kXmlProcessingImage = 6;
inline constexpr int kXmlDeclarationImage = 8;

struct TXmlTreeRow {
    int Depth = 0; // the document row has depth 0
    int ImageIndex = 0;
    QString Caption;
    friend bool operator==(const TXmlTreeRow&, const TXmlTreeRow&) = default;
};

// Visits `document` and every node below it depth first, in child order, without recursion.
void ForEachXmlNode(const TXMLNode& document,
                    const std::function<void(const TXMLNode& node, int depth)>& visit);

// The rows of a parsed document. Captions are decoded as UTF-8 when `text` (the whole
// file) is UTF-8, falling back to Windows-1252 per caption; the document row reads
// "File: " and `fileName`.
QList<TXmlTreeRow> XmlTreeRows(const TXMLNode& document, const QByteArray& text,
                               const QString& fileName);

struct TXmlTreeLoad {
    QList<TXmlTreeRow> Rows;
    std::optional<QString> Error; // "Cannot open file ..." or the parser's message
};

// Reads `path` byte for byte and parses it.
TXmlTreeLoad LoadXmlTree(const QString& path);

struct TXmlTreeText {
    QByteArray Text;
    std::optional<QString> Error;
};

// The XML text of `rows` (which start with the document row): the declaration, processing
// instructions and the first element below the document row in their order, each element
// with its attributes, text, child elements and processing instructions as nested.
// UTF-8, no white space between elements, attributes in tree order.
TXmlTreeText ComposeXmlTree(const QList<TXmlTreeRow>& rows);

// Where Write puts the file: the project folder and the name after the first ":" of the
// document row's caption (folders in that name are dropped, so it stays in the project).
QString XmlTreeTarget(const QString& projectFolder, const QString& documentCaption);

// Composes `rows` and saves them atomically into the project folder.
Result<> SaveXmlTree(const QList<TXmlTreeRow>& rows, const QString& projectFolder);
