// A grid of texts behind a table view: a fixed title row, a fixed number column, the data rows
// the view shows and, where a table needs them, rows held beyond those out of sight.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

struct TextGridLayout {
    // The title row as shown, one caption per column; column 0 shows the row numbers.
    QStringList captions;
    // The title row's cells as the table holds them (an export writes these); empty when they
    // are the captions.
    QStringList titleTexts;
    int shownRows = 0;
    // What column 0 shows in the first data row.
    int firstNumber = 1;
    // Rows placed beyond the shown ones are kept out of sight; otherwise they are ignored.
    bool holdsRows = false;
};

// Data rows count from 0 (the grid's row 1); the title row is the horizontal header. Every cell
// but those of column 0 is free text, held exactly as typed or placed.
class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextGridModel(TextGridLayout layout, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const TextGridLayout& layout() const { return layout_; }
    int columns() const { return columns_; }
    int shownRows() const { return layout_.shownRows; }
    // The shown rows and those held beyond them.
    int storedRows() const { return int(cells_.size() / std::size_t(columns_)); }

    // Column 0 gives the row's number; a cell outside the stored rows is empty.
    QString cell(int row, int column) const;
    // Column 0 and rows that can be neither shown nor held are left alone.
    void setCell(int row, int column, const QString& text);
    QString titleText(int column) const;

    // Every cell emptied and the held rows dropped.
    void clear();
    // All data rows replaced in one step; entry 0 of each row (the number column) is not used,
    // missing rows and cells are empty, rows beyond the shown ones are held or dropped.
    void replaceRows(const std::vector<QStringList>& rows);

    // The first data row whose cell in `column` is empty; storedRows() when there is none.
    int firstEmptyRow(int column) const;
    // The first row from `from` on with text in a column other than column 0 and
    // `ignoredColumn`; -1 when there is none.
    int firstRowWithText(int from, int ignoredColumn = -1) const;
    // The rows up to and with the last that has text in a column other than column 0.
    int rowsToLastText() const;

private:
    QString& at(int row, int column) { return cells_[std::size_t(row) * columns_ + column]; }
    const QString& at(int row, int column) const {
        return cells_[std::size_t(row) * columns_ + column];
    }

    TextGridLayout layout_;
    int columns_;
    std::vector<QString> cells_;
    // No row at or after this one has text: a large grid is mostly empty, and the search for
    // its last row with text starts here instead of at its end.
    mutable int textBound_ = 0;
};
