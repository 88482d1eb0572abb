// The shared behaviour of the editors that show a table in two grids, one per direction
// (CAN A to CAN B, then CAN B to CAN A): the grid schema, and load, ordered save, import and
// export on it. An editor is one GridTableSchema.
#pragma once

#include "common/Result.h"
#include "common/TextGridModel.h"
#include "editors/RepeatedMinimum.h"
#include "editors/TableEditor.h"
#include "editors/TableSteps.h"

#include <array>
#include <cstdint>

// A value that tells a row's grid by one bit and the row's flag cell by another.
struct SideCode {
    std::int32_t sideBit = 0;
    int sideWhenSet = 1; // the grid a set side bit means: 0 sga, 1 sgb
    std::int32_t flagBit = 0;
    // The value written for each grid and flag (set when the flag cell is exactly "1").
    std::array<std::array<QString, 2>, 2> texts;

    int sideOf(std::int32_t value) const {
        return (value & sideBit) ? sideWhenSet : 1 - sideWhenSet;
    }
    bool flagOf(std::int32_t value) const { return (value & flagBit) != 0; }
    const QString& text(int side, const QString& flagCell) const {
        return texts[std::size_t(side)][flagCell == QLatin1String("1") ? 1 : 0];
    }
};

struct GridTableSchema {
    QString tableName;
    QString caption;
    std::array<QString, 2> pageCaptions;
    // The same for both grids; it holds rows beyond the shown ones.
    TextGridLayout layout;
    // Attribute k of the table file, and position k of a workbook record or export line, is
    // column k + 1 of the grid.
    QStringList attributes;
    QStringList optionalAttributes;
    // Holds the flag that the direction attribute carries beside the direction.
    int flagColumn = 1;
    // The rows in use end at the first row whose cell here is empty.
    int keyColumn = 1;
    SideCode fileCode;
    // Workbook records and export lines.
    SideCode sheetCode;
    QList<int> orderColumns;
    OrderRule order;
    bool notFoundMessage = false;
};

class GridTable : public TableEditor {
public:
    explicit GridTable(GridTableSchema schema);

    const GridTableSchema& schema() const { return schema_; }
    // 0: sga (CAN A to CAN B), 1: sgb.
    TextGridModel& grid(int side) { return *grids_[std::size_t(side)]; }
    const TextGridModel& grid(int side) const { return *grids_[std::size_t(side)]; }

    QString tableName() const override { return schema_.tableName; }
    QString caption() const override { return schema_.caption; }
    bool Show(const QString& projectFolder, Prompter& prompter) override;
    bool Ok(const QString& projectFolder, Prompter& prompter) override;
    bool Import(const QString& path, Prompter& prompter) override;
    bool Export(const QString& projectFolder, Prompter& prompter) override;
    bool ExportHasTitleLine() const override { return true; }
    std::vector<TableListing> Listings() const override;

    // From the first data row down to the first empty key cell, held rows included.
    int RowsInUse(int side) const;
    // The rows OK writes, in writing order, CAN A side first; fails on a key that is not
    // integer text, naming the first in list order.
    Result<std::vector<QStringList>> FileRows() const;
    // The title row and the shown rows of sga, then the same of sgb.
    std::vector<QStringList> ExportLines() const;

private:
    QStringList gridRow(const QStringList& values, const SideCode& code,
                        std::int32_t flagValue) const;

    GridTableSchema schema_;
    std::array<std::unique_ptr<TextGridModel>, 2> grids_;
    LoadShortfall shortfall_;
};
