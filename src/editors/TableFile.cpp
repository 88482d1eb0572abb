#include "editors/TableFile.h"

#include "common/FileIO.h"
#include "project/XmlDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <optional>

QString TableRowProblem(const QString& path, int row, const QString& what) {
    return QStringLiteral("Row %1 of \"%2\" %3").arg(row).arg(QDir::toNativeSeparators(path), what);
}

namespace {

// A file found but not parsed: no rows, and none counted.
TableFileRows unreadable(const QString& path, QString why) {
    TableFileRows read;
    read.found = true;
    read.problem =
        QStringLiteral("\"%1\" cannot be read: %2")
            .arg(QDir::toNativeSeparators(path), why.replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return read;
}

TableFileRows noRoot(const QString& path) {
    TableFileRows read;
    read.found = true;
    read.problem =
        QStringLiteral("\"%1\" has no root element.").arg(QDir::toNativeSeparators(path));
    return read;
}

QString noAttribute(const QString& path, int row, const QString& name) {
    return TableRowProblem(path, row, QStringLiteral("has no attribute \"%1\".").arg(name));
}

QString notElement(const QString& path, int row) {
    return TableRowProblem(path, row, QStringLiteral("is not an element."));
}

// The table file as its DOM gives it.
TableFileRows readWithDom(const QByteArray& text, const QString& path,
                          const QStringList& attributes, const QStringList& optional) {
    QDomDocument doc;
    if (Result<> loaded = LoadXmlText(doc, text, path); !loaded)
        return unreadable(path, loaded.error());
    const QDomElement root = doc.documentElement();
    if (root.isNull())
        return noRoot(path);
    TableFileRows read;
    read.found = true;
    const QDomNodeList nodes = root.childNodes();
    read.fileRows = int(nodes.size());
    read.rows.reserve(std::size_t(read.fileRows));
    for (int i = 0; i < read.fileRows; ++i) {
        QDomElement row = nodes.item(i).toElement();
        if (row.isNull()) {
            read.problem = notElement(path, i + 1);
            return read;
        }
        QStringList values;
        values.reserve(attributes.size());
        for (const QString& name : attributes) {
            const QDomAttr attr = row.attributeNode(name);
            if (attr.isNull() && !optional.contains(name)) {
                read.problem = noAttribute(path, i + 1, name);
                return read;
            }
            values.append(attr.value());
        }
        read.rows.push_back(std::move(values));
    }
    return read;
}

bool hasPrefix(QStringView name) {
    return name.indexOf(u':') >= 0;
}

// What namespace processing would look at: a prefix or a default namespace declaration.
bool namespaced(QStringView name) {
    return hasPrefix(name) || name == QLatin1StringView("xmlns");
}

// The attribute names a table is read with, and which of them a row must have.
struct RowSchema {
    const QStringList& names;
    std::vector<bool> required;
    // None of the names is namespaced, so attributes that carry them need no further look.
    bool plain = true;

    RowSchema(const QStringList& attributes, const QStringList& optional) : names(attributes) {
        required.reserve(std::size_t(names.size()));
        for (const QString& name : names) {
            required.push_back(!optional.contains(name));
            plain = plain && !namespaced(name);
        }
    }
};

// The texts of small decimal numbers, which most values of the tables are, made once per file
// and shared by the rows, so that they cost a row no allocation.
class ValueTexts {
public:
    QString take(QStringView text) {
        // Up to three digits, each length apart: "7", "07" and "007" differ.
        if (text.isEmpty() || text.size() > 3)
            return text.toString();
        int n = 0;
        for (const QChar c : text) {
            if (c < u'0' || c > u'9')
                return text.toString();
            n = n * 10 + (c.unicode() - u'0');
        }
        QString& shared = numbers_[std::size_t((text.size() - 1) * 1000 + n)];
        if (shared.isNull())
            shared = text.toString();
        return shared;
    }

private:
    std::vector<QString> numbers_ = std::vector<QString>(3000);
};

// The row's values in the order of the names; the index of the first required name missing,
// or -1. `inPlace` counts the names found where the editors write them, at their own index.
qsizetype takeRow(const QXmlStreamAttributes& all, const RowSchema& schema, ValueTexts& texts,
                  QStringList& values, qsizetype& inPlace) {
    values.reserve(schema.names.size());
    inPlace = 0;
    for (qsizetype k = 0; k < schema.names.size(); ++k) {
        const QString& name = schema.names[k];
        const QXmlStreamAttribute* found = nullptr;
        if (k < all.size() && all[k].qualifiedName() == name) {
            found = &all[k];
            ++inPlace;
        } else {
            for (const QXmlStreamAttribute& a : all)
                if (a.qualifiedName() == name) {
                    found = &a;
                    break;
                }
        }
        if (!found && schema.required[std::size_t(k)])
            return k;
        values.append(found ? texts.take(found->value()) : QString());
    }
    return -1;
}

// The same in one pass of the stream reader the DOM is built on, taking as a node of the root
// what the DOM makes one of. Where the DOM, or the loader's nesting check that reads
// namespaces, could judge the file otherwise (names with a prefix, namespace declarations, a
// DTD, entity references, text outside the root), nullopt: the DOM has to read it.
std::optional<TableFileRows> readStreaming(const QByteArray& text, const QString& path,
                                           const QStringList& attributes,
                                           const QStringList& optional) {
    const RowSchema schema(attributes, optional);
    ValueTexts texts;
    TableFileRows read;
    read.found = true;
    QXmlStreamReader reader(text);
    reader.setNamespaceProcessing(false);
    int depth = 0;
    bool rooted = false;
    int nodes = 0;
    // A node of the root that is no element is a row that stops the reading.
    const auto otherNode = [&] {
        ++nodes;
        if (read.problem.isEmpty())
            read.problem = notElement(path, nodes);
    };
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            // Namespaces first: the nesting check stops at a namespace fault, even at the
            // element too deep.
            if (hasPrefix(reader.qualifiedName()))
                return std::nullopt;
            const QXmlStreamAttributes& all = reader.attributes();
            if (++depth > kMaxXmlDepth) {
                for (const QXmlStreamAttribute& a : all)
                    if (namespaced(a.qualifiedName()))
                        return std::nullopt;
                return unreadable(path, XmlTooDeepMessage(path, reader.lineNumber()));
            }
            rooted = true;
            qsizetype inPlace = 0;
            if (depth == 2)
                ++nodes;
            if (depth == 2 && read.problem.isEmpty()) {
                QStringList values;
                if (const qsizetype missing = takeRow(all, schema, texts, values, inPlace);
                    missing < 0)
                    read.rows.push_back(std::move(values));
                else
                    read.problem = noAttribute(path, nodes, attributes[missing]);
            }
            if (!(schema.plain && inPlace == all.size()))
                for (const QXmlStreamAttribute& a : all)
                    if (namespaced(a.qualifiedName()))
                        return std::nullopt;
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            // The DOM drops text of white space alone (in the wider sense of QChar::isSpace),
            // but not a CDATA section.
            if (!reader.isCDATA() && reader.text().trimmed().isEmpty())
                break;
            if (depth == 0)
                return std::nullopt;
            if (depth == 1)
                otherNode();
            break;
        case QXmlStreamReader::ProcessingInstruction:
            if (hasPrefix(reader.processingInstructionTarget()))
                return std::nullopt;
            if (depth == 1)
                otherNode();
            break;
        case QXmlStreamReader::Comment:
            if (depth == 1)
                otherNode();
            break;
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            break;
        default:
            return std::nullopt;
        }
    }
    if (reader.hasError())
        return unreadable(path, XmlParseMessage(text, reader.errorString(), reader.lineNumber(),
                                                reader.columnNumber()));
    if (!rooted)
        return noRoot(path);
    read.fileRows = nodes;
    return read;
}

} // namespace

TableFileRows ReadTableText(const QByteArray& text, const QString& path,
                            const QStringList& attributes, const QStringList& optional,
                            TableReader reader) {
    if (reader == TableReader::Streaming) {
        if (std::optional<TableFileRows> read = readStreaming(text, path, attributes, optional))
            return std::move(*read);
    }
    return readWithDom(text, path, attributes, optional);
}

TableFileRows ReadTableFile(const QString& path, const QStringList& attributes,
                            const QStringList& optional) {
    if (!QFileInfo::exists(path))
        return {};
    Result<QByteArray> text = ReadRegularFile(path);
    if (!text)
        return unreadable(path, text.error());
    return ReadTableText(*text, path, attributes, optional);
}

bool XmlCanHold(QStringView text) {
    for (auto it = text.begin(); it != text.end(); ++it) {
        const char16_t c = it->unicode();
        if (c >= 0x20 && c < 0xD800)
            continue;
        if (c == 0x9 || c == 0xA || c == 0xD || (c >= 0xE000 && c <= 0xFFFD))
            continue;
        // A surrogate is fine only as the first half of a pair.
        if (QChar::isHighSurrogate(c) && it + 1 != text.end() && (it + 1)->isLowSurrogate()) {
            ++it;
            continue;
        }
        return false;
    }
    return true;
}

Result<QByteArray> TableFileXml(const QString& tableName, const QStringList& attributes,
                                const std::vector<QStringList>& rows) {
    QByteArray out;
    out.reserve(qsizetype(rows.size()) * 24 * (attributes.size() + 1) + 64);
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(false);
    writer.writeStartElement(tableName);
    const QString row = QStringLiteral("row");
    for (const QStringList& values : rows) {
        writer.writeEmptyElement(row);
        for (qsizetype a = 0; a < attributes.size(); ++a) {
            const QString& value = a < values.size() ? values[a] : QString();
            if (!XmlCanHold(value))
                return Fail(QStringLiteral("The value \"%1\" holds a character that cannot be "
                                           "stored in an XML file.")
                                .arg(value));
            writer.writeAttribute(attributes[a], value);
        }
    }
    writer.writeEndElement();
    if (writer.hasError())
        return Fail(QStringLiteral("The table could not be written as XML."));
    return out;
}

Result<> WriteTableFile(const QString& path, const QString& tableName,
                        const QStringList& attributes, const std::vector<QStringList>& rows) {
    Result<QByteArray> xml = TableFileXml(tableName, attributes, rows);
    if (!xml)
        return Fail(CannotCreateMessage(path, xml.error()));
    return WriteFileAtomically(path, *xml);
}
