#include "parameters/TranslateTable.h"

#include "common/FileIO.h"
#include "common/IntegerText.h"
#include "common/Prompter.h"
#include "parameters/GeneralParameters.h"
#include "project/XmlDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QXmlStreamWriter>

namespace {

const QStringList kTitles = {QStringLiteral("N°"),          QStringLiteral("Data Type"),
                             QStringLiteral("Address TCP"), QStringLiteral("Address Device RTU"),
                             QStringLiteral("Address RTU"), QStringLiteral("N° Point"),
                             QStringLiteral("Mnemonic")};

// var.xml's attributes in their stored order, one per grid column from "Data Type" on.
const QStringList kAttributes = {QStringLiteral("DATA_TYPE"),   QStringLiteral("TCP_ADDRESS"),
                                 QStringLiteral("RTU_ADD_DEV"), QStringLiteral("RTU_ADDRESS"),
                                 QStringLiteral("N_POINT"),     QStringLiteral("MNEMONIC")};

// The value when the text is an integer text of 0..max, else nullopt (counts as -1).
std::optional<std::int32_t> inRange(const QString& text, std::int32_t max) {
    const std::int32_t v = IntegerTextOr(text, -1);
    if (v < 0 || v > max)
        return std::nullopt;
    return v;
}

} // namespace

TranslateTableModel::TranslateTableModel(QObject* parent)
    : TextGridModel(TextGridLayout{kTitles, {}, kTranslateRows, 1, false}, parent) {}

void TranslateTableModel::replaceAll(const std::vector<Row>& rows) {
    std::vector<QStringList> texts;
    texts.reserve(rows.size());
    for (const Row& row : rows)
        texts.emplace_back(row.begin(), row.end());
    replaceRows(texts);
}

Result<> LoadTranslateTable(TranslateTableModel& model, const QString& path) {
    // Only the rows the file holds: the model leaves the rest of its grid empty.
    std::vector<TranslateTableModel::Row> rows;
    std::optional<QString> problem;
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(path)) {
        QDomDocument doc;
        if (Result<> loaded = LoadXmlFile(doc, path); !loaded)
            problem = loaded.error();
        // The document element is the table, whatever its name; so is every child a row.
        int i = 0;
        for (QDomElement row = doc.documentElement().firstChildElement(); !problem && !row.isNull();
             row = row.nextSiblingElement(), ++i) {
            if (i >= kTranslateRows) {
                problem = QStringLiteral("\"%1\" holds more than %2 rows; only the first %2 "
                                         "are shown.")
                              .arg(shown, QString::number(kTranslateRows));
                break;
            }
            TranslateTableModel::Row& cells = rows.emplace_back();
            for (int a = 0; a < kAttributes.size(); ++a) {
                if (!row.hasAttribute(kAttributes[a])) {
                    problem = QStringLiteral("Row %1 of \"%2\" has no attribute \"%3\".")
                                  .arg(i + 1)
                                  .arg(shown, kAttributes[a]);
                    break;
                }
                const QString text = row.attribute(kAttributes[a]);
                if (a == 0) {
                    const std::int32_t code = IntegerTextOr(text, 0);
                    cells[ColDataType] =
                        code >= 1 && code <= 4 ? kDataTypeNames[code - 1] : QString();
                } else {
                    cells[ColDataType + a] = text;
                }
            }
        }
    }
    model.replaceAll(rows);
    if (problem)
        return Fail(*problem);
    return Ok();
}

Result<> CheckDataTypeNames(const TranslateTableModel& model) {
    for (int r = 0; r < kTranslateRows; ++r) {
        const QString type = model.cell(r, ColDataType);
        if (!type.isEmpty() && !kDataTypeNames.contains(type))
            return Fail(
                QStringLiteral("Error!! Type Data must be Holding Register or Input Register "
                               "(Line %1). ")
                    .arg(r + 1));
    }
    return Ok();
}

Result<> ValidateTranslateTable(const TranslateTableModel& model, QList<TMyRec>& TranslateRows) {
    TranslateRows.clear();
    // Every line is stored, the 2000th included: the grid offers it like any other.
    for (int r = 0; r < kTranslateRows && !model.cell(r, ColTcpAddress).isEmpty(); ++r) {
        TMyRec rec;
        const qsizetype type = kDataTypeNames.indexOf(model.cell(r, ColDataType));
        if (type < 0)
            return Fail(
                QStringLiteral("Error!! Data Type must be Holding Register or Input Register. "));
        rec.DataType = std::uint8_t(type + 1);
        const auto tcp = inRange(model.cell(r, ColTcpAddress), 65535);
        if (!tcp)
            return Fail(QStringLiteral("Error!! Address TCP must be between 0 and 65535. "));
        rec.TcpAddress = std::uint16_t(*tcp);
        const auto dev = inRange(model.cell(r, ColRtuAddDev), 255);
        if (!dev)
            return Fail(QStringLiteral("Error!! Address Device RTU must be between 0 and 255. "));
        rec.RtuAddDev = std::uint8_t(*dev);
        const auto rtu = inRange(model.cell(r, ColRtuAddress), 65535);
        if (!rtu)
            return Fail(QStringLiteral("Error!! Address RTU must be between 0 and 65535. "));
        rec.RtuAddress = std::uint16_t(*rtu);
        const auto points = inRange(model.cell(r, ColNPoint), 127);
        if (!points)
            return Fail(QStringLiteral("Error!! N° Point must be between 0 and 127. "));
        rec.NPoint = std::uint8_t(*points);
        rec.Mnemonic = model.cell(r, ColMnemonic);
        TranslateRows.append(rec);
    }
    return Ok();
}

int FirstLeftOutLine(const TranslateTableModel& model) {
    // Read in place, without a copy of each of the 14 000 cells.
    const int end = model.firstEmptyRow(ColTcpAddress);
    return end < kTranslateRows && model.firstRowWithText(end, ColNumber) >= 0 ? end + 1 : 0;
}

std::optional<QByteArray> TranslateTableXml(const QList<TMyRec>& rows) {
    QByteArray out;
    QXmlStreamWriter writer(&out);
    writer.setAutoFormatting(false);
    writer.writeStartElement(QStringLiteral("TCP_TO_RTU"));
    for (const TMyRec& rec : rows) {
        writer.writeEmptyElement(QStringLiteral("row"));
        writer.writeAttribute(kAttributes[0], QString::number(rec.DataType));
        writer.writeAttribute(kAttributes[1], QString::number(rec.TcpAddress));
        writer.writeAttribute(kAttributes[2], QString::number(rec.RtuAddDev));
        writer.writeAttribute(kAttributes[3], QString::number(rec.RtuAddress));
        writer.writeAttribute(kAttributes[4], QString::number(rec.NPoint));
        writer.writeAttribute(kAttributes[5], rec.Mnemonic);
    }
    writer.writeEndElement();
    // The writer drops characters XML cannot carry and flags it; such a file would not say
    // what was typed.
    if (writer.hasError())
        return std::nullopt;
    return out;
}

Result<> SaveTranslateFile(const QList<TMyRec>& rows, const QString& path) {
    const auto xml = TranslateTableXml(rows);
    if (!xml)
        return Fail(CannotCreateMessage(path, QStringLiteral("A Mnemonic holds a character "
                                                             "that cannot be stored.")));
    return WriteFileAtomically(path, *xml);
}

bool ConfirmTranslateTable(const TranslateTableModel& model, const QString& path,
                           bool replacesUnreadFile, const QString& dialogTitle,
                           Prompter& prompter) {
    if (Result<> named = CheckDataTypeNames(model); !named) {
        prompter.error(named.error());
        return false;
    }
    QList<TMyRec> rows;
    if (Result<> valid = ValidateTranslateTable(model, rows); !valid) {
        prompter.error(valid.error());
        return false;
    }
    if (const int line = FirstLeftOutLine(model)) {
        const QString text = QStringLiteral("Line %1 has no Address TCP, so it and the lines "
                                            "below it are not stored. Save anyway?")
                                 .arg(line);
        if (!prompter.question(dialogTitle, text))
            return false;
    }
    if (replacesUnreadFile && !prompter.question(dialogTitle, ReplaceUnreadFileQuestion(path)))
        return false;
    if (Result<> saved = SaveTranslateFile(rows, path); !saved) {
        prompter.errorReport(saved.error());
        return false;
    }
    return true;
}
