#include "common/TextGridModel.h"

#include <algorithm>
#include <utility>

TextGridModel::TextGridModel(TextGridLayout layout, QObject* parent)
    : QAbstractTableModel(parent), layout_(std::move(layout)),
      columns_(std::max<int>(1, int(layout_.captions.size()))),
      cells_(std::size_t(layout_.shownRows) * columns_) {}

int TextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : layout_.shownRows;
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cell(index.row(), index.column());
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.column() == 0)
        return false;
    setCell(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.column() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < layout_.captions.size() ? layout_.captions[section]
                                                                 : QVariant();
    return section + layout_.firstNumber;
}

QString TextGridModel::cell(int row, int column) const {
    if (row < 0 || row >= storedRows() || column < 0 || column >= columns_)
        return {};
    if (column == 0)
        return QString::number(row + layout_.firstNumber);
    return at(row, column);
}

void TextGridModel::setCell(int row, int column, const QString& text) {
    if (row < 0 || column <= 0 || column >= columns_)
        return;
    if (row >= storedRows()) {
        if (!layout_.holdsRows || text.isEmpty())
            return;
        cells_.resize(std::size_t(row + 1) * columns_);
    }
    if (at(row, column) == text)
        return;
    at(row, column) = text;
    if (!text.isEmpty())
        textBound_ = std::max(textBound_, row + 1);
    if (row < layout_.shownRows) {
        const QModelIndex changed = index(row, column);
        Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    }
}

QString TextGridModel::titleText(int column) const {
    const QStringList& texts = layout_.titleTexts.isEmpty() ? layout_.captions : layout_.titleTexts;
    return column >= 0 && column < texts.size() ? texts[column] : QString();
}

void TextGridModel::clear() {
    replaceRows({});
}

void TextGridModel::replaceRows(const std::vector<QStringList>& rows) {
    int count = layout_.shownRows;
    if (layout_.holdsRows)
        count = std::max(count, int(rows.size()));
    beginResetModel();
    cells_.assign(std::size_t(count) * columns_, QString());
    const int placed = std::min(count, int(rows.size()));
    for (int r = 0; r < placed; ++r) {
        const QStringList& row = rows[std::size_t(r)];
        const int n = std::min(columns_, int(row.size()));
        for (int c = 1; c < n; ++c)
            at(r, c) = row[c];
    }
    textBound_ = placed;
    endResetModel();
}

int TextGridModel::firstEmptyRow(int column) const {
    const int rows = storedRows();
    if (column <= 0 || column >= columns_)
        return column == 0 ? rows : 0;
    for (int r = 0; r < rows; ++r)
        if (at(r, column).isEmpty())
            return r;
    return rows;
}

int TextGridModel::firstRowWithText(int from, int ignoredColumn) const {
    const int rows = storedRows();
    for (int r = std::max(0, from); r < rows; ++r)
        for (int c = 1; c < columns_; ++c)
            if (c != ignoredColumn && !at(r, c).isEmpty())
                return r;
    return -1;
}

int TextGridModel::rowsToLastText() const {
    for (int r = std::min(textBound_, storedRows()); r > 0; --r)
        for (int c = 1; c < columns_; ++c)
            if (!at(r - 1, c).isEmpty())
                return textBound_ = r;
    return textBound_ = 0;
}
