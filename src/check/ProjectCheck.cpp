#include "check/ProjectCheck.h"

#include "common/IntegerText.h"
#include "editors/EmcyTable.h"
#include "editors/EmcyWordTable.h"
#include "editors/GridTable.h"
#include "editors/PdoTable.h"
#include "editors/SdoTable.h"
#include "editors/StorePdoTable.h"
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
    QByteArray source;
    if (Result<> loaded = LoadXmlFile(doc, path, &source); !loaded) {
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
        const QString text = Pargen::ElementValue(node, element, source);
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

struct SideTable {
    QString name;
    std::vector<SideRow> rows;
};

std::optional<SideTable> readSides(const QString& project, TableFile file,
                                   const GridTableSchema& schema, QList<Finding>& out) {
    const QString path = ProjectLayout::TablePath(project, file);
    const TableFileRows read = ReadTableFile(path, schema.attributes, schema.optionalAttributes);
    if (!read.found)
        return std::nullopt;
    SideTable table{fileName(path), {}};
    if (!read.problem.isEmpty())
        out.append({FindingLevel::Error, table.name, 0, read.problem});
    const int flag = schema.flagColumn - 1;
    for (std::size_t i = 0; i < read.rows.size(); ++i) {
        const auto code = ParseIntegerText(read.rows[i].value(flag));
        if (!code) {
            out.append({FindingLevel::Error, table.name, int(i) + 1,
                        QStringLiteral("\"%1\": %2")
                            .arg(schema.attributes.value(flag),
                                 InvalidIntegerMessage(read.rows[i].value(flag)))});
            continue;
        }
        table.rows.push_back({int(i) + 1, schema.fileCode.sideOf(*code), read.rows[i]});
    }
    return table;
}

const char* sideName(int side) {
    return side == 0 ? "CAN A to CAN B" : "CAN B to CAN A";
}

void checkSdo(const std::optional<SideTable>& table, QList<Finding>& out) {
    if (!table)
        return;
    QMap<std::tuple<int, int, int>, int> seen;
    for (const SideRow& r : table->rows) {
        const auto index = ParseIntegerText(r.values.value(1));
        const auto sub = ParseIntegerText(r.values.value(2));
        if (!index || !sub)
            continue;
        const auto key = std::make_tuple(r.side, *index & 0xFFFF, *sub & 0xFFFF);
        if (const auto it = seen.constFind(key); it != seen.constEnd())
            out.append({FindingLevel::Error, table->name, r.row,
                        QStringLiteral("Virtual index %1 subindex %2 is used by row %3 too (%4).")
                            .arg(r.values.value(1), r.values.value(2))
                            .arg(*it)
                            .arg(QLatin1String(sideName(r.side)))});
        else
            seen.insert(key, r.row);
    }
}

void checkPdo(const std::optional<SideTable>& table, QList<Finding>& out) {
    if (!table)
        return;
    QMap<std::pair<int, std::int64_t>, int> seen;
    for (const SideRow& r : table->rows) {
        const auto cobid = ParseIntegerText(r.values.value(0));
        if (!cobid) {
            out.append({FindingLevel::Error, table->name, r.row,
                        QStringLiteral("cobid: %1").arg(InvalidIntegerMessage(r.values.value(0)))});
            continue;
        }
        const std::int64_t id = std::uint32_t(*cobid);
        if (id > 0x1FFFFFFF)
            out.append({FindingLevel::Error, table->name, r.row,
                        QStringLiteral("COB-ID %1 does not fit 29 bits.").arg(r.values.value(0))});
        const auto key = std::make_pair(r.side, id);
        if (const auto it = seen.constFind(key); it != seen.constEnd())
            out.append({FindingLevel::Error, table->name, r.row,
                        QStringLiteral("COB-ID %1 is used by row %2 too (%3).")
                            .arg(r.values.value(0))
                            .arg(*it)
                            .arg(QLatin1String(sideName(r.side)))});
        else
            seen.insert(key, r.row);
    }
}

QString tableFileName(const QString& project, TableFile file) {
    return fileName(ProjectLayout::TablePath(project, file));
}

// The rows as the table's editor reads them; nullopt when there is no such file.
std::optional<TableFileRows> readRows(const QString& project, TableFile file,
                                      const QStringList& attributes, QList<Finding>& out) {
    TableFileRows read = ReadTableFile(ProjectLayout::TablePath(project, file), attributes);
    if (!read.found)
        return std::nullopt;
    if (!read.problem.isEmpty())
        out.append({FindingLevel::Error, tableFileName(project, file), 0, read.problem});
    return read;
}

QString countedPdos(const QString& file, int count, int pdoSide) {
    const QString direction = QLatin1String(sideName(pdoSide));
    if (count == 0)
        return QStringLiteral("%1 has no PDO from %2").arg(file, direction);
    return QStringLiteral("%1 has %2 PDO%3 from %4")
        .arg(file)
        .arg(count)
        .arg(count == 1 ? QString() : QStringLiteral("s"), direction);
}

// An entry names its PDO by number within the store side; the store PDO editor's CAN A side
// holds the PDO translate table's PDOs from CAN B to CAN A.
void checkStorePdo(const QString& project, const std::optional<SideTable>& sdo,
                   const std::optional<SideTable>& pdo, QList<Finding>& out) {
    const auto read = readRows(project, TableFile::Sdopdo, StorePdoAttributes(), out);
    if (!read)
        return;
    const QString name = tableFileName(project, TableFile::Sdopdo);
    const auto error = [&](int row, const QString& text) {
        out.append({FindingLevel::Error, name, row, text});
    };
    std::array<int, 2> pdoCount{0, 0};
    if (pdo)
        for (const SideRow& r : pdo->rows)
            ++pdoCount[std::size_t(StorePdoSideOf(*ParseIntegerText(r.values.value(2))))];
    QMap<std::tuple<int, std::int32_t, std::int32_t>, int> sdoAccess;
    if (sdo)
        for (const SideRow& r : sdo->rows) {
            const auto index = ParseIntegerText(r.values.value(1));
            const auto sub = ParseIntegerText(r.values.value(2));
            if (index && sub && !sdoAccess.contains({r.side, *index, *sub}))
                sdoAccess.insert({r.side, *index, *sub}, r.row);
        }
    QMap<std::tuple<int, std::int32_t, std::int32_t>, int> entries;
    // The row that writes each byte of a PDO: side, number, byte 1 to 8.
    QMap<std::tuple<int, int, int>, int> bytes;
    const QString sideNames[2] = {QStringLiteral("CAN A"), QStringLiteral("CAN B")};
    for (std::size_t i = 0; i < read->rows.size(); ++i) {
        const int row = int(i) + 1;
        const QStringList& v = read->rows[i];
        const auto nrpdo = ParseIntegerText(v[2]);
        if (!nrpdo) {
            error(row, QStringLiteral("nrpdo: %1; the store PDO editor stops reading at this row.")
                           .arg(InvalidIntegerMessage(v[2])));
            continue;
        }
        const StorePdoRef ref = PdoOfNrpdo(*nrpdo);
        const QString side = sideNames[ref.side];
        if (ref.number == 0) {
            error(row, QStringLiteral("nrpdo %1 names no PDO; the store PDO editor stops reading "
                                      "at this row.")
                           .arg(v[2]));
            continue;
        }
        const auto index = ParseIntegerText(v[0]);
        const auto sub = ParseIntegerText(v[1]);
        if (!index || !sub) {
            error(row, QStringLiteral("%1: %2; the store PDO editor cannot save it.")
                           .arg(StorePdoAttributes()[index ? 1 : 0],
                                InvalidIntegerMessage(index ? v[1] : v[0])));
        } else {
            const auto key = std::make_tuple(ref.side, *index, *sub);
            if (const auto it = sdoAccess.constFind(key); it != sdoAccess.constEnd())
                error(row, QStringLiteral("Index %1 subindex %2 is a virtual SDO of %3 row %4 "
                                          "(%5).")
                               .arg(v[0], v[1], sdo->name)
                               .arg(*it)
                               .arg(QLatin1String(sideName(ref.side))));
            if (const auto it = entries.constFind(key); it != entries.constEnd())
                error(row, QStringLiteral("Index %1 subindex %2 is stored by row %3 too (%4).")
                               .arg(v[0], v[1])
                               .arg(*it)
                               .arg(side));
            else
                entries.insert(key, row);
        }
        if (ref.number > pdoCount[std::size_t(ref.side)]) {
            error(row, QStringLiteral("nrpdo %1 names %2 PDO %3, but %4; the store PDO editor "
                                      "leaves the row out.")
                           .arg(v[2], side)
                           .arg(ref.number)
                           .arg(countedPdos(tableFileName(project, TableFile::Rpdodef),
                                            pdoCount[std::size_t(ref.side)], 1 - ref.side)));
            continue;
        }
        const auto poscomp = ParseIntegerText(v[3]);
        if (!poscomp) {
            error(row, QStringLiteral("poscomp: %1").arg(InvalidIntegerMessage(v[3])));
            continue;
        }
        // The bytes as the editor reads them: 0 is none, 9 to 15 are B8.
        const int high = PositionChoice(*poscomp, 4);
        const int low = PositionChoice(*poscomp, 0);
        if (high != 0 && high == low)
            error(row,
                  QStringLiteral("The high and the low byte both go to PDO byte B%1.").arg(high));
        for (const int byte : {high, low == high ? 0 : low}) {
            if (byte == 0)
                continue;
            const auto key = std::make_tuple(ref.side, ref.number, byte);
            if (const auto it = bytes.constFind(key); it != bytes.constEnd())
                error(row, QStringLiteral("PDO byte B%1 of %2 PDO %3 is written by row %4 too.")
                               .arg(byte)
                               .arg(side)
                               .arg(ref.number)
                               .arg(*it));
            else
                bytes.insert(key, row);
        }
    }
}

void checkEmcy(const QString& project, QList<Finding>& out) {
    const auto read = readRows(project, TableFile::Emcydef, EmcyAttributes(), out);
    if (!read)
        return;
    const QString name = tableFileName(project, TableFile::Emcydef);
    QMap<std::pair<int, std::int32_t>, int> seen;
    for (std::size_t i = 0; i < read->rows.size(); ++i) {
        const int row = int(i) + 1;
        const QStringList& v = read->rows[i];
        const auto bypass = ParseIntegerText(v[kEmcyTextFields]);
        if (!bypass) {
            out.append({FindingLevel::Error, name, row,
                        QStringLiteral("%1: %2; the EMCY editor stops reading at this row.")
                            .arg(EmcyAttributes()[kEmcyTextFields],
                                 InvalidIntegerMessage(v[kEmcyTextFields]))});
            continue;
        }
        TClEmcy entry;
        const int side = UnpackBypass(*bypass, entry);
        // The editor reads an empty value as "0".
        const QString idText = v[0].isEmpty() ? QStringLiteral("0") : v[0];
        const auto id = ParseIntegerText(idText);
        if (!id) {
            out.append({FindingLevel::Error, name, row,
                        QStringLiteral("%1: %2; the EMCY editor cannot save it.")
                            .arg(EmcyAttributes()[0], InvalidIntegerMessage(idText))});
            continue;
        }
        if (*id < 1 || *id > 127)
            out.append({FindingLevel::Error, name, row,
                        QStringLiteral("EMCY ID %1 is not between 1 and 127.").arg(idText)});
        const auto key = std::make_pair(side, *id);
        if (const auto it = seen.constFind(key); it != seen.constEnd())
            out.append({FindingLevel::Error, name, row,
                        QStringLiteral("EMCY ID %1 is used by row %2 too (from %3).")
                            .arg(idText)
                            .arg(*it)
                            .arg(side == 0 ? QStringLiteral("CAN A") : QStringLiteral("CAN B"))});
        else
            seen.insert(key, row);
    }
}

void checkEmcyWords(const QString& project, QList<Finding>& out) {
    const QStringList& attributes = EmcyWordAttributes();
    const auto read = readRows(project, TableFile::Emcyword, attributes, out);
    if (!read)
        return;
    const QString name = tableFileName(project, TableFile::Emcyword);
    const auto error = [&](int row, const QString& text) {
        out.append({FindingLevel::Error, name, row, text});
    };
    QMap<std::tuple<int, std::int32_t, std::int32_t, std::int32_t>, int> seen;
    for (std::size_t i = 0; i < read->rows.size(); ++i) {
        const int row = int(i) + 1;
        const QStringList& v = read->rows[i];
        const auto side = ParseIntegerText(v[2]);
        if (!side) {
            error(row, QStringLiteral("%1: %2; the EMCY word editor stops reading at this row.")
                           .arg(attributes[2], InvalidIntegerMessage(v[2])));
            continue;
        }
        if (*side != 0 && *side != 1) {
            out.append({FindingLevel::Warning, name, row,
                        QStringLiteral("%1 %2 is neither 0 (CAN A) nor 1 (CAN B): the EMCY "
                                       "word editor drops the row at its next save.")
                            .arg(attributes[2], v[2])});
            continue;
        }
        // The word key (index_addrm, subindex, devid) as numbers, as the editor's save reads it:
        // "0x2000" and "8192" name the same SDO object.
        std::array<std::int32_t, 3> key{};
        const std::array<int, 3> keyAt = {0, 1, 3};
        int bad = -1;
        for (std::size_t k = 0; k < keyAt.size() && bad < 0; ++k) {
            const auto part = ParseIntegerText(v[keyAt[k]]);
            if (part)
                key[k] = *part;
            else
                bad = keyAt[k];
        }
        if (bad >= 0) {
            error(row, QStringLiteral("%1: %2; the EMCY word editor cannot save it.")
                           .arg(attributes[bad], InvalidIntegerMessage(v[bad])));
            continue;
        }
        const auto word = std::make_tuple(int(*side), key[0], key[1], key[2]);
        if (const auto it = seen.constFind(word); it != seen.constEnd())
            error(row, QStringLiteral("The word of index %1 subindex %2 and device %3 is defined "
                                      "by row %4 too (CAN %5).")
                           .arg(v[0], v[1], v[3])
                           .arg(*it)
                           .arg(*side == 0 ? QLatin1Char('A') : QLatin1Char('B')));
        else
            seen.insert(word, row);
    }
}

} // namespace

QList<Finding> CheckParameters(const QString& projectFolder) {
    QList<Finding> findings;
    checkPargen(projectFolder, findings);
    return findings;
}

QList<Finding> CheckTables(const QString& projectFolder) {
    QList<Finding> findings;
    checkTranslateTable(projectFolder, findings);
    const auto sdo = readSides(projectFolder, TableFile::Sdo, SdoTableSchema(), findings);
    checkSdo(sdo, findings);
    const auto pdo = readSides(projectFolder, TableFile::Rpdodef, PdoTableSchema(), findings);
    checkPdo(pdo, findings);
    checkStorePdo(projectFolder, sdo, pdo, findings);
    checkEmcy(projectFolder, findings);
    checkEmcyWords(projectFolder, findings);
    return findings;
}

QList<Finding> CheckProject(const QString& projectFolder) {
    return CheckParameters(projectFolder) + CheckTables(projectFolder);
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
