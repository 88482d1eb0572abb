// Sheets read whole into cell texts, the form every workbook reader hands the editors, and
// the workbook over them.
#pragma once

#include "editors/Workbook.h"

#include <QList>

#include <map>
#include <utility>

struct SheetCells {
    QString name;
    // Why the sheet cannot be read; empty when it can.
    QString error;
    // The rows after the headings, each as wide as the sheet.
    QList<QStringList> records;
};

// The cells of one sheet as a reader meets them, in any order; a later text for the same cell
// replaces the earlier.
class SheetGrid {
public:
    // Far more than any table holds, and little enough that a damaged file claiming a cell in
    // a far corner of the sheet cannot exhaust memory.
    static constexpr qint64 kMaxCells = 1 << 20;

    explicit SheetGrid(QString name) : name_(std::move(name)) {}

    // Row and column from 0; a negative one is ignored.
    void put(qint64 row, qint64 column, QString text);
    const QString* find(qint64 row, qint64 column) const;
    bool tooLarge() const { return tooLarge_; }

    // The rows after the first, as wide as the widest row; a failure when too large.
    SheetCells cells() const;

private:
    QString name_;
    std::map<std::pair<qint64, qint64>, QString> cells_;
    qint64 rows_ = 0;
    qint64 columns_ = 0;
    bool tooLarge_ = false;
};

// Whether a sheet of these dimensions is beyond SheetGrid::kMaxCells (rows alone count too:
// a sheet of many rows and no columns still costs a record per row), and what a reader says
// of it.
bool SheetTooLarge(qint64 rows, qint64 columns);
QString SheetTooLargeMessage(const QString& name);

// A workbook over sheets read beforehand.
std::unique_ptr<Workbook> MakeSheetsWorkbook(QList<SheetCells> sheets);

// Pads every row to the width of the widest.
void PadToSheetWidth(QList<QStringList>& rows);
