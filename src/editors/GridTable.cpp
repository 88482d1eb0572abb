#include "editors/GridTable.h"

#include "common/FileIO.h"
#include "common/IntegerText.h"
#include "common/Prompter.h"
#include "editors/TableFile.h"
#include "editors/TableFiles.h"
#include "editors/TableSteps.h"

#include <algorithm>

GridTable::GridTable(GridTableSchema schema) : schema_(std::move(schema)) {
    for (auto& grid : grids_)
        grid = std::make_unique<TextGridModel>(schema_.layout);
}

QStringList GridTable::gridRow(const QStringList& values, const SideCode& code,
                               std::int32_t flagValue) const {
    QStringList row;
    row.reserve(values.size() + 1);
    row.append(QString());
    row.append(values);
    row[schema_.flagColumn] = code.flagOf(flagValue) ? QStringLiteral("1") : QStringLiteral("0");
    return row;
}

bool GridTable::Show(const QString& projectFolder, Prompter& prompter) {
    shortfall_.clear();
    const QString path = TableFilePath(projectFolder, schema_.tableName);
    const TableFileRows read = ReadTableFile(path, schema_.attributes, schema_.optionalAttributes);
    const int flagAt = schema_.flagColumn - 1;
    std::array<std::vector<QStringList>, 2> rows;
    QString problem = read.problem;
    int placed = 0;
    for (const QStringList& values : read.rows) {
        const auto value = ParseIntegerText(values[flagAt]);
        if (!value) {
            problem =
                TableRowProblem(path, placed + 1,
                                NotIntegerValueProblem(schema_.attributes[flagAt], values[flagAt]));
            break;
        }
        rows[std::size_t(schema_.fileCode.sideOf(*value))].push_back(
            gridRow(values, schema_.fileCode, *value));
        ++placed;
    }
    grids_[0]->replaceRows(rows[0]);
    grids_[1]->replaceRows(rows[1]);
    if (!read.found) {
        if (schema_.notFoundMessage)
            prompter.message(QStringLiteral("File XML not found"));
        return true;
    }
    if (problem.isEmpty())
        return true;
    shortfall_.note(read.fileRows);
    ReportReadError(prompter, QStringLiteral("Error in reading file XML"), problem, placed);
    return false;
}

int GridTable::RowsInUse(int side) const {
    return grid(side).firstEmptyRow(schema_.keyColumn);
}

Result<std::vector<QStringList>> GridTable::FileRows() const {
    std::vector<QStringList> out;
    for (int side = 0; side < 2; ++side) {
        const TextGridModel& g = grid(side);
        const int used = RowsInUse(side);
        std::vector<QStringList> keys(static_cast<std::size_t>(used));
        for (int r = 0; r < used; ++r)
            for (const int column : schema_.orderColumns)
                keys[std::size_t(r)].append(g.cell(r, column));
        Result<std::vector<int>> order = OrderEntries(keys, schema_.order);
        if (!order)
            return Fail(order.error());
        for (const int r : *order) {
            QStringList values;
            values.reserve(schema_.attributes.size());
            for (int c = 1; c <= schema_.attributes.size(); ++c)
                values.append(c == schema_.flagColumn ? schema_.fileCode.text(side, g.cell(r, c))
                                                      : g.cell(r, c));
            out.push_back(std::move(values));
        }
    }
    return out;
}

bool GridTable::Ok(const QString& projectFolder, Prompter& prompter) {
    const QString path = TableFilePath(projectFolder, schema_.tableName);
    Result<std::vector<QStringList>> rows = FileRows();
    if (!rows) {
        prompter.errorReport(rows.error());
        return false;
    }
    for (int side = 0; side < 2; ++side) {
        const TextGridModel& g = grid(side);
        const int used = RowsInUse(side);
        for (int r = 0; r < used; ++r)
            for (int c = 1; c < g.columns(); ++c)
                if (!XmlCanHold(g.cell(r, c))) {
                    prompter.errorReport(CannotCreateMessage(
                        path, QStringLiteral("Row %1 of \"%2\" holds a character that cannot "
                                             "be stored.")
                                  .arg(g.cell(r, 0), schema_.pageCaptions[std::size_t(side)])));
                    return false;
                }
    }
    for (int side = 0; side < 2; ++side) {
        const TextGridModel& g = grid(side);
        const int used = RowsInUse(side);
        if (g.firstRowWithText(used, schema_.flagColumn) < 0)
            continue;
        const QString text = QStringLiteral("Row %1 of \"%2\" has no %3, so it and the rows "
                                            "below it are not saved. Save anyway?")
                                 .arg(g.cell(used, 0), schema_.pageCaptions[std::size_t(side)],
                                      schema_.layout.captions.value(schema_.keyColumn));
        if (!prompter.question(schema_.caption, text))
            return false;
    }
    if (!ConfirmReplace(shortfall_, path, qsizetype(rows->size()), schema_.caption, prompter))
        return false;
    if (!WriteTableRows(path, schema_.tableName, schema_.attributes, *rows, prompter))
        return false;
    shortfall_.clear();
    return true;
}

bool GridTable::Import(const QString& path, Prompter& prompter) {
    grids_[0]->clear();
    grids_[1]->clear();
    Result<ImportSheet> sheet = ReadImportSheet(path, schema_.tableName);
    if (!sheet)
        return ImportCannotStart(prompter, sheet.error());
    const int flagAt = schema_.flagColumn - 1;
    const QString& flagName = schema_.attributes[flagAt];
    std::array<std::vector<QStringList>, 2> rows;
    QString problem;
    for (std::size_t i = 0; i < sheet->records.size(); ++i) {
        const QStringList& record = sheet->records[i];
        if (record.size() < schema_.attributes.size()) {
            problem = SheetRowPlace(i, sheet->name) +
                      SheetWidthProblem(record.size(), schema_.attributes.size());
            break;
        }
        const auto value = ParseIntegerText(record[flagAt]);
        if (!value) {
            problem = SheetRowPlace(i, sheet->name) + SheetCellProblem(flagName, record[flagAt]);
            break;
        }
        rows[std::size_t(schema_.sheetCode.sideOf(*value))].push_back(
            gridRow(record.mid(0, schema_.attributes.size()), schema_.sheetCode, *value));
    }
    grids_[0]->replaceRows(rows[0]);
    grids_[1]->replaceRows(rows[1]);
    return problem.isEmpty() || ImportStopped(prompter, problem);
}

std::vector<QStringList> GridTable::ExportLines() const {
    std::vector<QStringList> lines;
    lines.reserve(std::size_t(2 * (schema_.layout.shownRows + 1)));
    for (int side = 0; side < 2; ++side) {
        const TextGridModel& g = grid(side);
        // The blank rows after the last with text (most of a large grid) share one line.
        const int used = std::min(g.rowsToLastText(), g.shownRows());
        QStringList blank;
        for (int c = 1; c < g.columns(); ++c)
            blank.append(c == schema_.flagColumn ? schema_.sheetCode.text(side, QString())
                                                 : QString());
        for (int r = -1; r < g.shownRows(); ++r) {
            if (r >= used) {
                lines.push_back(blank);
                continue;
            }
            QStringList line;
            line.reserve(g.columns() - 1);
            for (int c = 1; c < g.columns(); ++c) {
                const QString text = r < 0 ? g.titleText(c) : g.cell(r, c);
                line.append(c == schema_.flagColumn ? schema_.sheetCode.text(side, text) : text);
            }
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

bool GridTable::Export(const QString& projectFolder, Prompter& prompter) {
    return ::ExportLines(projectFolder, schema_.tableName, ExportLines(), prompter);
}

std::vector<TableListing> GridTable::Listings() const {
    std::vector<TableListing> out;
    for (int side = 0; side < 2; ++side) {
        const TextGridModel& g = grid(side);
        TableListing listing{schema_.pageCaptions[std::size_t(side)], schema_.layout.captions, {}};
        // Up to the last row with text, so the held rows show too.
        const int end = g.rowsToLastText();
        for (int r = 0; r < end; ++r) {
            QStringList row;
            for (int c = 0; c < g.columns(); ++c)
                row.append(g.cell(r, c));
            listing.rows.push_back(std::move(row));
        }
        out.push_back(std::move(listing));
    }
    return out;
}
