#include "editors/TableFile.h"

#include "common/FileIO.h"
#include "project/XmlDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QXmlStreamWriter>

QString TableRowProblem(const QString& path, int row, const QString& what) {
    return QStringLiteral("Row %1 of \"%2\" %3").arg(row).arg(QDir::toNativeSeparators(path), what);
}

TableFileRows ReadTableFile(const QString& path, const QStringList& attributes,
                            const QStringList& optional) {
    TableFileRows read;
    if (!QFileInfo::exists(path))
        return read;
    read.found = true;
    QDomDocument doc;
    if (Result<> loaded = LoadXmlFile(doc, path); !loaded) {
        read.problem =
            QStringLiteral("\"%1\" cannot be read: %2")
                .arg(QDir::toNativeSeparators(path),
                     QString(loaded.error()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return read;
    }
    const QDomElement root = doc.documentElement();
    if (root.isNull()) {
        read.problem =
            QStringLiteral("\"%1\" has no root element.").arg(QDir::toNativeSeparators(path));
        return read;
    }
    const QDomNodeList nodes = root.childNodes();
    read.fileRows = int(nodes.size());
    read.rows.reserve(std::size_t(read.fileRows));
    for (int i = 0; i < read.fileRows; ++i) {
        QDomElement row = nodes.item(i).toElement();
        if (row.isNull()) {
            read.problem = TableRowProblem(path, i + 1, QStringLiteral("is not an element."));
            return read;
        }
        QStringList values;
        values.reserve(attributes.size());
        for (const QString& name : attributes) {
            const QDomAttr attr = row.attributeNode(name);
            if (attr.isNull() && !optional.contains(name)) {
                read.problem = TableRowProblem(
                    path, i + 1, QStringLiteral("has no attribute \"%1\".").arg(name));
                return read;
            }
            values.append(attr.value());
        }
        read.rows.push_back(std::move(values));
    }
    return read;
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
