#include "check/ProjectCheck.h"

#include "common/IntegerText.h"
#include "editors/GridTable.h"
#include "editors/PdoTable.h"
#include "editors/SdoTable.h"
#include "editors/TableFile.h"
#include "parameters/GeneralParameters.h"
#include "parameters/PargenSchema.h"
#include "parameters/TranslateTable.h"
#include "project/ProjectLayout.h"
#include "project/XmlDocument.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace {

using Pargen::Element;

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

void checkPargen(const QString& project, QList<Finding>& out) {
    const QString path = ProjectLayout::PargenPath(project);
    const QString name = fileName(path);
    const auto error = [&](const QString& text) {
        out.append({FindingLevel::Error, name, 0, text});
    };
    // What the composer itself refuses, with its own message.
    const auto composerError = [&](const QString& text) {
        out.append({FindingLevel::Error, name, 0, text, true});
    };
    const auto warning = [&](const QString& text) {
        out.append({FindingLevel::Warning, name, 0, text});
    };
    if (!QFileInfo::exists(path)) {
        composerError(QStringLiteral("The file is missing: the image cannot be composed."));
        return;
    }
    QDomDocument doc;
    if (Result<> loaded = LoadXmlFile(doc, path); !loaded) {
        composerError(QString(loaded.error()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return;
    }
    const QDomElement root = TopLevelElement(doc, Pargen::kRoot);
    if (root.isNull()) {
        composerError(QStringLiteral("There is no %1 element.").arg(Pargen::kRoot));
        return;
    }
    for (int e = 0; e < Pargen::kElementCount; ++e) {
        const Element element = Element(e);
        const QString tag = Pargen::ElementName(element);
        const QDomElement node = ChildElement(root, tag);
        if (node.isNull()) {
            composerError(QStringLiteral("%1 is missing: the image cannot be composed.").arg(tag));
            continue;
        }
        const QString text = ElementText(node);
        if (element == Element::SnmpPublic || element == Element::SnmpPrivate) {
            if (text.size() > kSnmpNameLength)
                warning(QStringLiteral("%1 \"%2\" is longer than %3 characters; the image keeps "
                                       "the first %3.")
                            .arg(tag, text)
                            .arg(kSnmpNameLength));
            continue;
        }
        const std::optional<std::int32_t> value = ParseIntegerText(text);
        if (!value) {
            composerError(QStringLiteral("%1: %2.").arg(tag, InvalidIntegerMessage(text)));
            continue;
        }
        const bool octet = e <= int(Element::Gat4);
        if (octet && (*value < 0 || *value > 255))
            error(QStringLiteral("%1 %2 is not between 0 and 255; General Parameter refuses it.")
                      .arg(tag)
                      .arg(*value));
        else if (element == Element::Port && (*value < 0 || *value > 65535))
            error(QStringLiteral("TCP_PORT %1 is not between 0 and 65535.").arg(*value));
        else if ((element == Element::TimeOut || element == Element::Offset) &&
                 (*value < 0 || *value > 65535))
            warning(QStringLiteral("%1 %2 does not fit the image's 16 bits; it is stored as %3.")
                        .arg(tag)
                        .arg(*value)
                        .arg(std::uint32_t(*value) & 0xFFFF));
        else if (element == Element::Baud && Pargen::BaudName(*value).isEmpty())
            warning(QStringLiteral("BAUD %1 is no baud rate code (3 to 7).").arg(*value));
        else if (element == Element::Parity && Pargen::ParityName(*value).isEmpty())
            warning(QStringLiteral("PARITY %1 is no parity code (0, 2 or 3).").arg(*value));
        else if (element == Element::Mode && Pargen::ModeName(*value).isEmpty())
            warning(QStringLiteral("MODE %1 is no mode code (0 or 1).").arg(*value));
    }
}

bool overlaps(int firstA, int countA, int firstB, int countB) {
    return firstA < firstB + countB && firstB < firstA + countA;
}

void checkTranslateTable(const QString& project, QList<Finding>& out) {
    const QString path = ProjectLayout::VarPath(project);
    if (!QFileInfo::exists(path))
        return;
    const QString name = fileName(path);
    TranslateTableModel model;
    if (Result<> loaded = LoadTranslateTable(model, path); !loaded) {
        out.append({FindingLevel::Error, name, 0, loaded.error()});
        return;
    }
    QList<TMyRec> rows;
    if (Result<> valid = ValidateTranslateTable(model, rows); !valid) {
        out.append({FindingLevel::Error, name, int(rows.size()) + 1, valid.error().trimmed()});
        return;
    }
    if (const int line = FirstLeftOutLine(model))
        out.append({FindingLevel::Warning, name, line,
                    QStringLiteral("This row has no Address TCP: it and the rows below it are "
                                   "dropped at the next save.")});
    for (int i = 0; i < rows.size(); ++i) {
        const TMyRec& a = rows[i];
        if (a.NPoint == 0)
            out.append({FindingLevel::Warning, name, i + 1,
                        QStringLiteral("The row has 0 points: it translates nothing.")});
        for (int j = 0; j < i; ++j) {
            const TMyRec& b = rows[j];
            if (a.DataType != b.DataType)
                continue;
            if (overlaps(a.TcpAddress, a.NPoint, b.TcpAddress, b.NPoint))
                out.append({FindingLevel::Error, name, i + 1,
                            QStringLiteral("TCP addresses %1 to %2 overlap row %3 of the same data "
                                           "type.")
                                .arg(a.TcpAddress)
                                .arg(a.TcpAddress + a.NPoint - 1)
                                .arg(j + 1)});
            if (a.RtuAddDev == b.RtuAddDev &&
                overlaps(a.RtuAddress, a.NPoint, b.RtuAddress, b.NPoint))
                out.append(
                    {FindingLevel::Warning, name, i + 1,
                     QStringLiteral("RTU addresses %1 to %2 of device %3 overlap row %4 of the "
                                    "same data type.")
                         .arg(a.RtuAddress)
                         .arg(a.RtuAddress + a.NPoint - 1)
                         .arg(a.RtuAddDev)
                         .arg(j + 1)});
        }
    }
}

// Rows of a two-grid table file with their side (0: CAN A to CAN B) and values.
struct SideRow {
    int row;
    int side;
    QStringList values;
};

std::optional<std::vector<SideRow>> readSides(const QString& path, const GridTableSchema& schema,
                                              QList<Finding>& out) {
    const TableFileRows read = ReadTableFile(path, schema.attributes, schema.optionalAttributes);
    if (!read.found)
        return std::nullopt;
    if (!read.problem.isEmpty())
        out.append({FindingLevel::Error, fileName(path), 0, read.problem});
    std::vector<SideRow> rows;
    const int flag = schema.flagColumn - 1;
    for (std::size_t i = 0; i < read.rows.size(); ++i) {
        const auto code = ParseIntegerText(read.rows[i].value(flag));
        if (!code) {
            out.append({FindingLevel::Error, fileName(path), int(i) + 1,
                        QStringLiteral("\"%1\": %2")
                            .arg(schema.attributes.value(flag),
                                 InvalidIntegerMessage(read.rows[i].value(flag)))});
            continue;
        }
        rows.push_back({int(i) + 1, schema.fileCode.sideOf(*code), read.rows[i]});
    }
    return rows;
}

const char* sideName(int side) {
    return side == 0 ? "CAN A to CAN B" : "CAN B to CAN A";
}

void checkSdo(const QString& project, QList<Finding>& out) {
    const QString path = ProjectLayout::TablePath(project, TableFile::Sdo);
    const auto rows = readSides(path, SdoTableSchema(), out);
    if (!rows)
        return;
    QMap<std::tuple<int, int, int>, int> seen;
    for (const SideRow& r : *rows) {
        const auto index = ParseIntegerText(r.values.value(1));
        const auto sub = ParseIntegerText(r.values.value(2));
        if (!index || !sub)
            continue;
        const auto key = std::make_tuple(r.side, *index & 0xFFFF, *sub & 0xFFFF);
        if (const auto it = seen.constFind(key); it != seen.constEnd())
            out.append({FindingLevel::Error, fileName(path), r.row,
                        QStringLiteral("Virtual index %1 subindex %2 is used by row %3 too (%4).")
                            .arg(r.values.value(1), r.values.value(2))
                            .arg(*it)
                            .arg(QLatin1String(sideName(r.side)))});
        else
            seen.insert(key, r.row);
    }
}

void checkPdo(const QString& project, QList<Finding>& out) {
    const QString path = ProjectLayout::TablePath(project, TableFile::Rpdodef);
    const auto rows = readSides(path, PdoTableSchema(), out);
    if (!rows)
        return;
    QMap<std::pair<int, std::int64_t>, int> seen;
    for (const SideRow& r : *rows) {
        const auto cobid = ParseIntegerText(r.values.value(0));
        if (!cobid) {
            out.append({FindingLevel::Error, fileName(path), r.row,
                        QStringLiteral("cobid: %1").arg(InvalidIntegerMessage(r.values.value(0)))});
            continue;
        }
        const std::int64_t id = std::uint32_t(*cobid);
        if (id > 0x1FFFFFFF)
            out.append({FindingLevel::Error, fileName(path), r.row,
                        QStringLiteral("COB-ID %1 does not fit 29 bits.").arg(r.values.value(0))});
        const auto key = std::make_pair(r.side, id);
        if (const auto it = seen.constFind(key); it != seen.constEnd())
            out.append({FindingLevel::Error, fileName(path), r.row,
                        QStringLiteral("COB-ID %1 is used by row %2 too (%3).")
                            .arg(r.values.value(0))
                            .arg(*it)
                            .arg(QLatin1String(sideName(r.side)))});
        else
            seen.insert(key, r.row);
    }
}

} // namespace

QList<Finding> CheckProject(const QString& projectFolder) {
    QList<Finding> findings;
    checkPargen(projectFolder, findings);
    checkTranslateTable(projectFolder, findings);
    checkSdo(projectFolder, findings);
    checkPdo(projectFolder, findings);
    return findings;
}

QString FindingLine(const Finding& f) {
    QString where = f.file;
    if (f.row > 0)
        where += QStringLiteral(" row %1").arg(f.row);
    return QStringLiteral("%1 %2: %3")
        .arg(f.level == FindingLevel::Error ? QStringLiteral("error") : QStringLiteral("warning"),
             where, f.text);
}

QByteArray FindingsJson(const QList<Finding>& findings) {
    QJsonArray array;
    for (const Finding& f : findings)
        array.append(QJsonObject{{QStringLiteral("level"), f.level == FindingLevel::Error
                                                               ? QStringLiteral("error")
                                                               : QStringLiteral("warning")},
                                 {QStringLiteral("file"), f.file},
                                 {QStringLiteral("row"), f.row},
                                 {QStringLiteral("text"), f.text}});
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

int FindingsExitStatus(const QList<Finding>& findings) {
    bool warnings = false;
    for (const Finding& f : findings) {
        if (f.level == FindingLevel::Error)
            return 1;
        warnings = true;
    }
    return warnings ? 3 : 0;
}
