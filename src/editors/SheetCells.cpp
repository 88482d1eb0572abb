#include "editors/SheetCells.h"

#include <algorithm>

namespace {

class SheetsWorkbook : public Workbook {
public:
    explicit SheetsWorkbook(QList<SheetCells> sheets) : sheets_(std::move(sheets)) {}

    QStringList sheetNames() const override {
        QStringList names;
        for (const SheetCells& s : sheets_)
            names << s.name;
        return names;
    }

    Result<std::vector<QStringList>> records(int sheet) override {
        if (sheet < 0 || sheet >= sheets_.size())
            return Fail(QStringLiteral("The workbook has no sheet %1.").arg(sheet + 1));
        const SheetCells& s = sheets_[sheet];
        if (!s.error.isEmpty())
            return Fail(s.error);
        return std::vector<QStringList>(s.records.begin(), s.records.end());
    }

private:
    QList<SheetCells> sheets_;
};

} // namespace

bool SheetTooLarge(qint64 rows, qint64 columns) {
    constexpr qint64 kMax = SheetGrid::kMaxCells;
    return rows > kMax || columns > kMax || rows * columns > kMax;
}

QString SheetTooLargeMessage(const QString& name) {
    return QStringLiteral("The sheet \"%1\" is too large to import.").arg(name);
}

void SheetGrid::put(qint64 row, qint64 column, QString text) {
    if (row < 0 || column < 0 || tooLarge_)
        return;
    rows_ = std::max(rows_, row + 1);
    columns_ = std::max(columns_, column + 1);
    tooLarge_ = SheetTooLarge(rows_, columns_);
    if (!tooLarge_)
        cells_[{row, column}] = std::move(text);
}

const QString* SheetGrid::find(qint64 row, qint64 column) const {
    const auto it = cells_.find({row, column});
    return it == cells_.end() ? nullptr : &it->second;
}

SheetCells SheetGrid::cells() const {
    SheetCells out{name_, {}, {}};
    if (tooLarge_) {
        out.error = SheetTooLargeMessage(name_);
        return out;
    }
    for (qint64 r = 1; r < rows_; ++r)
        out.records.append(QStringList(columns_, QString()));
    for (const auto& [at, text] : cells_)
        if (at.first > 0)
            out.records[at.first - 1][at.second] = text;
    return out;
}

std::unique_ptr<Workbook> MakeSheetsWorkbook(QList<SheetCells> sheets) {
    return std::make_unique<SheetsWorkbook>(std::move(sheets));
}

void PadToSheetWidth(QList<QStringList>& rows) {
    qsizetype width = 0;
    for (const QStringList& row : rows)
        width = std::max(width, row.size());
    for (QStringList& row : rows)
        while (row.size() < width)
            row.append(QString());
}
