#include "editors/XlsxWorkbook.h"

#include "common/FileIO.h"
#include "editors/ChildReader.h"
#include "editors/PackageCheck.h"

#include <QDir>
#include <QHash>
#include <QUrl>
#include <QXmlStreamReader>

#include <optional>
#include <vector>

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

namespace {

// The zip package and its parts by name.
class Package {
public:
    explicit Package(const QByteArray& bytes)
        : stream_(reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size())),
          archive_(&stream_) {
        archive_.load();
        for (std::size_t i = 0; i < archive_.get_file_entry_count(); ++i) {
            const std::string_view name = archive_.get_file_entry_name(i);
            names_.append(QString::fromUtf8(name.data(), qsizetype(name.size())));
        }
    }

    // Part names are not case-sensitive in a package, zip entry names are.
    std::optional<QByteArray> part(const QString& name) const {
        for (const QString& entry : names_)
            if (entry.compare(name, Qt::CaseInsensitive) == 0) {
                std::vector<unsigned char> buffer;
                const QByteArray utf8 = entry.toUtf8();
                if (!archive_.read_file_entry(std::string_view(utf8.constData(), utf8.size()),
                                              buffer))
                    return std::nullopt;
                // Orcus ends what it unpacked with a zero byte of its own.
                if (!buffer.empty() && buffer.back() == 0)
                    buffer.pop_back();
                return QByteArray(reinterpret_cast<const char*>(buffer.data()),
                                  qsizetype(buffer.size()));
            }
        return std::nullopt;
    }

private:
    orcus::zip_archive_stream_blob stream_;
    orcus::zip_archive archive_;
    QStringList names_;
};

QString folderOf(const QString& part) {
    return part.left(part.lastIndexOf(QLatin1Char('/')) + 1);
}

// A relationship's target as a part name: relative to the source part's folder, or from the
// package root when it starts with "/".
QString resolveTarget(const QString& sourcePart, const QString& target) {
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    const QString path =
        decoded.startsWith(QLatin1Char('/')) ? decoded : folderOf(sourcePart) + decoded;
    QStringList segments;
    for (const QString& s : path.split(QLatin1Char('/'))) {
        if (s.isEmpty() || s == QLatin1String("."))
            continue;
        if (s == QLatin1String("..")) {
            if (!segments.isEmpty())
                segments.removeLast();
            continue;
        }
        segments.append(s);
    }
    return segments.join(QLatin1Char('/'));
}

struct Relationship {
    QString type;
    QString part;
};

// The relationships of `sourcePart` ("" for the package's own), by id.
QHash<QString, Relationship> relationships(const Package& package, const QString& sourcePart) {
    const int slash = int(sourcePart.lastIndexOf(QLatin1Char('/')));
    const QString relsName = folderOf(sourcePart) + QStringLiteral("_rels/") +
                             sourcePart.mid(slash + 1) + QStringLiteral(".rels");
    QHash<QString, Relationship> out;
    const std::optional<QByteArray> xml = package.part(relsName);
    if (!xml)
        return out;
    QXmlStreamReader reader(*xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != QLatin1String("Relationship"))
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (a.value(QLatin1String("TargetMode")) == QLatin1String("External"))
            continue;
        out.insert(a.value(QLatin1String("Id")).toString(),
                   {a.value(QLatin1String("Type")).toString(),
                    resolveTarget(sourcePart, a.value(QLatin1String("Target")).toString())});
    }
    return out;
}

std::optional<Relationship> firstOfType(const QHash<QString, Relationship>& rels,
                                        QLatin1String typeEnd) {
    for (const Relationship& r : rels)
        if (r.type.endsWith(typeEnd))
            return r;
    return std::nullopt;
}

// The text of the rich text element the reader stands on (a shared string, an inline string):
// its runs joined, phonetic hints left out.
QString richText(QXmlStreamReader& reader) {
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0 && !reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.name() == QLatin1String("rPh"))
                ++phonetic;
            if (reader.name() == QLatin1String("t") && phonetic == 0) {
                text += reader.readElementText(QXmlStreamReader::IncludeChildElements);
                continue;
            }
            ++depth;
        } else if (reader.isEndElement()) {
            if (reader.name() == QLatin1String("rPh"))
                --phonetic;
            --depth;
        }
    }
    return text;
}

QStringList sharedStrings(const std::optional<QByteArray>& xml) {
    QStringList out;
    if (!xml)
        return out;
    QXmlStreamReader reader(*xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si"))
            out.append(richText(reader));
    }
    return out;
}

// "B7" or "$B$7" as row and column from 0.
std::optional<std::pair<qint64, qint64>> cellReference(QStringView text) {
    qsizetype i = 0;
    const auto skipDollar = [&] {
        if (i < text.size() && text[i] == QLatin1Char('$'))
            ++i;
    };
    skipDollar();
    qint64 column = 0;
    const qsizetype lettersFrom = i;
    for (; i < text.size() && i - lettersFrom < 4; ++i) {
        const char16_t c = QChar::toUpper(text[i].unicode());
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c - u'A' + 1);
    }
    const qsizetype letters = i - lettersFrom;
    skipDollar();
    const qsizetype digitsFrom = i;
    qint64 row = 0;
    for (; i < text.size() && i - digitsFrom < 8 && text[i].isDigit(); ++i)
        row = row * 10 + text[i].digitValue();
    if (letters == 0 || letters > 3 || i == digitsFrom || row == 0 || i != text.size())
        return std::nullopt;
    return std::make_pair(row - 1, column - 1);
}

QString cellText(const QString& type, const QString& value, const QString& inlineText,
                 const QStringList& strings) {
    if (type == QLatin1String("inlineStr"))
        return inlineText;
    if (type == QLatin1String("s")) {
        bool ok = false;
        const qsizetype index = value.trimmed().toLongLong(&ok);
        return ok && index >= 0 && index < strings.size() ? strings[index] : QString();
    }
    if (type == QLatin1String("b"))
        return value.trimmed() == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
    if (type.isEmpty() || type == QLatin1String("n")) {
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        return ok ? NumberText(number) : value;
    }
    // "str" (a formula's text), "e" (an error value), "d" (an ISO date): as written.
    return value;
}

SheetCells readSheet(const QString& name, const std::optional<QByteArray>& xml,
                     const QStringList& strings) {
    SheetGrid grid(name);
    const QString unreadable = QStringLiteral("The sheet \"%1\" cannot be read.").arg(name);
    if (!xml)
        return {name, unreadable, {}};
    QXmlStreamReader reader(*xml);
    qint64 row = -1;
    qint64 column = -1;
    while (!reader.atEnd() && !grid.tooLarge()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (reader.name() == QLatin1String("row")) {
            bool ok = false;
            const qint64 r = a.value(QLatin1String("r")).toLongLong(&ok);
            row = ok && r > 0 ? r - 1 : row + 1;
            column = -1;
            continue;
        }
        if (reader.name() != QLatin1String("c"))
            continue;
        if (const auto at = cellReference(a.value(QLatin1String("r")))) {
            row = at->first;
            column = at->second;
        } else {
            ++column;
        }
        const QString type = a.value(QLatin1String("t")).toString();
        std::optional<QString> value;
        QString inlineText;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isEndElement() && reader.name() == QLatin1String("c"))
                break;
            if (!reader.isStartElement())
                continue;
            if (reader.name() == QLatin1String("v")) {
                value = reader.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (reader.name() == QLatin1String("is")) {
                inlineText = richText(reader);
                value = QString();
            } else {
                reader.skipCurrentElement();
            }
        }
        if (value)
            grid.put(row, column, cellText(type, *value, inlineText, strings));
    }
    if (reader.hasError())
        return {name, unreadable, {}};
    return grid.cells();
}

} // namespace

Result<QList<SheetCells>> ReadXlsxSheets(const QByteArray& bytes, const QString& notAWorkbook) {
    if (!PackageSizesWithin(bytes))
        return Fail(notAWorkbook);
    try {
        const Package package(bytes);
        const std::optional<Relationship> document =
            firstOfType(relationships(package, QString()), QLatin1String("/officeDocument"));
        if (!document)
            return Fail(notAWorkbook);
        const std::optional<QByteArray> workbook = package.part(document->part);
        if (!workbook)
            return Fail(notAWorkbook);
        const QHash<QString, Relationship> parts = relationships(package, document->part);
        const std::optional<Relationship> stringsPart =
            firstOfType(parts, QLatin1String("/sharedStrings"));
        const QStringList strings =
            sharedStrings(stringsPart ? package.part(stringsPart->part) : std::nullopt);
        QList<SheetCells> sheets;
        QXmlStreamReader reader(*workbook);
        while (!reader.atEnd()) {
            reader.readNext();
            if (!reader.isStartElement() || reader.name() != QLatin1String("sheet"))
                continue;
            QString name;
            QString id;
            for (const QXmlStreamAttribute& a : reader.attributes()) {
                if (a.name() == QLatin1String("name") && a.namespaceUri().isEmpty())
                    name = a.value().toString();
                // r:id, in whichever namespace the file's flavour of the format uses
                if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
                    id = a.value().toString();
            }
            const auto part = parts.constFind(id);
            sheets.append(readSheet(
                name, part == parts.constEnd() ? std::nullopt : package.part(part->part), strings));
        }
        if (reader.hasError())
            return Fail(notAWorkbook);
        return sheets;
    } catch (...) {
        return Fail(notAWorkbook);
    }
}

Result<std::unique_ptr<Workbook>> OpenXlsxWorkbook(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    const QString notAWorkbook =
        QStringLiteral("\"%1\" is not an Excel workbook (.xlsx).").arg(shown);
    Result<QByteArray> bytes = ReadRegularFile(path);
    if (!bytes)
        return Fail(bytes.error());
    // The zip reader is Orcus's, which this program cannot check from inside.
    Result<QList<SheetCells>> sheets = ReadInChild(
        [&] { return ReadXlsxSheets(*bytes, notAWorkbook); },
        QStringLiteral("\"%1\" is not an Excel workbook that can be read (.xlsx): its reader "
                       "stopped.")
            .arg(shown));
    if (!sheets)
        return Fail(sheets.error());
    return MakeSheetsWorkbook(std::move(*sheets));
}
