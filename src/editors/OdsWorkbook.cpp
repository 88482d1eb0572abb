#include "editors/OdsWorkbook.h"

#include "common/FileIO.h"
#include "editors/ChildReader.h"
#include "editors/PackageCheck.h"

#include <QDir>

#include <string>
#include <string_view>
#include <vector>

#include <orcus/orcus_ods.hpp>
#include <orcus/spreadsheet/import_interface.hpp>

namespace {

namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::row_t;

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

class SharedStrings : public iface::import_shared_strings {
public:
    size_t append(std::string_view s) override {
        strings_.emplace_back(s);
        return strings_.size() - 1;
    }
    size_t add(std::string_view s) override { return append(s); }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t) override {}
    void append_segment(std::string_view s) override { segments_.append(s); }
    size_t commit_segments() override {
        strings_.push_back(std::move(segments_));
        segments_.clear();
        return strings_.size() - 1;
    }

    QString text(size_t id) const {
        return id < strings_.size() ? fromUtf8(strings_[id]) : QString();
    }

private:
    std::vector<std::string> strings_;
    std::string segments_;
};

// A formula cell gives the result its file stored.
class FormulaResult : public iface::import_formula {
public:
    explicit FormulaResult(SheetGrid& grid) : grid_(grid) {}
    void set_position(row_t row, col_t col) override {
        row_ = row;
        col_ = col;
        text_.clear();
    }
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override { text_ = fromUtf8(value); }
    void set_result_value(double value) override { text_ = NumberText(value); }
    void set_result_bool(bool value) override {
        text_ = value ? QStringLiteral("1") : QStringLiteral("0");
    }
    void set_result_empty() override { text_.clear(); }
    void commit() override { grid_.put(row_, col_, text_); }

private:
    SheetGrid& grid_;
    row_t row_ = -1;
    col_t col_ = -1;
    QString text_;
};

class Sheet : public iface::import_sheet {
public:
    Sheet(QString name, const SharedStrings& strings)
        : grid_(std::move(name)), strings_(strings), formula_(grid_) {}

    iface::import_formula* get_formula() override { return &formula_; }

    void set_auto(row_t row, col_t col, std::string_view s) override {
        grid_.put(row, col, fromUtf8(s));
    }
    void set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t id) override {
        grid_.put(row, col, strings_.text(id));
    }
    void set_value(row_t row, col_t col, double value) override {
        grid_.put(row, col, NumberText(value));
    }
    void set_bool(row_t row, col_t col, bool value) override {
        grid_.put(row, col, value ? QStringLiteral("1") : QStringLiteral("0"));
    }
    // As FreeXL gives a date cell of an .xls.
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute,
                       double second) override {
        QString text = QStringLiteral("%1-%2-%3")
                           .arg(year, 4, 10, QLatin1Char('0'))
                           .arg(month, 2, 10, QLatin1Char('0'))
                           .arg(day, 2, 10, QLatin1Char('0'));
        if (hour != 0 || minute != 0 || second != 0)
            text += QStringLiteral(" %1:%2:%3")
                        .arg(hour, 2, 10, QLatin1Char('0'))
                        .arg(minute, 2, 10, QLatin1Char('0'))
                        .arg(int(second), 2, 10, QLatin1Char('0'));
        grid_.put(row, col, text);
    }
    void set_format(row_t, col_t, size_t) override {}
    void set_format(row_t, col_t, row_t, col_t, size_t) override {}
    void fill_down_cells(row_t row, col_t col, row_t count) override {
        const QString* text = grid_.find(row, col);
        if (!text)
            return;
        const QString copy = *text;
        for (qint64 r = row + 1; r <= qint64(row) + count && !grid_.tooLarge(); ++r)
            grid_.put(r, col, copy);
    }
    orcus::spreadsheet::range_size_t get_sheet_size() const override { return {1048576, 16384}; }

    SheetCells cells() const { return grid_.cells(); }

private:
    SheetGrid grid_;
    const SharedStrings& strings_;
    FormulaResult formula_;
};

// Collects what the editors need and nothing else: the cell values of each sheet.
class Collector : public iface::import_factory {
public:
    iface::import_shared_strings* get_shared_strings() override { return &strings_; }
    iface::import_sheet* append_sheet(orcus::spreadsheet::sheet_t, std::string_view name) override {
        sheets_.push_back(std::make_unique<Sheet>(fromUtf8(name), strings_));
        names_.emplace_back(name);
        return sheets_.back().get();
    }
    iface::import_sheet* get_sheet(std::string_view name) override {
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == name)
                return sheets_[i].get();
        return nullptr;
    }
    iface::import_sheet* get_sheet(orcus::spreadsheet::sheet_t index) override {
        return index >= 0 && std::size_t(index) < sheets_.size() ? sheets_[std::size_t(index)].get()
                                                                 : nullptr;
    }
    void finalize() override {}

    QList<SheetCells> sheets() const {
        QList<SheetCells> out;
        for (const auto& s : sheets_)
            out.append(s->cells());
        return out;
    }

private:
    SharedStrings strings_;
    std::vector<std::unique_ptr<Sheet>> sheets_;
    std::vector<std::string> names_;
};

} // namespace

Result<QList<SheetCells>> ReadOdsSheets(const QByteArray& bytes, const QString& notASpreadsheet) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (!PackageSizesWithin(bytes))
        return Fail(notASpreadsheet);
    try {
        if (!orcus::orcus_ods::detect(data, std::size_t(bytes.size())))
            return Fail(notASpreadsheet);
        Collector collector;
        orcus::orcus_ods reader(&collector);
        reader.read_stream(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        return collector.sheets();
    } catch (...) {
        return Fail(notASpreadsheet);
    }
}

Result<std::unique_ptr<Workbook>> OpenOdsWorkbook(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    const QString notASpreadsheet =
        QStringLiteral("\"%1\" is not an OpenDocument spreadsheet (.ods).").arg(shown);
    Result<QByteArray> bytes = ReadRegularFile(path);
    if (!bytes)
        return Fail(bytes.error());
    // Orcus's XML parser reads past the end of damaged content (fuzzing stopped it on its own
    // assertion), hence the child.
    Result<QList<SheetCells>> sheets = ReadInChild(
        [&] { return ReadOdsSheets(*bytes, notASpreadsheet); },
        QStringLiteral("\"%1\" is not an OpenDocument spreadsheet that can be read (.ods): its "
                       "reader stopped.")
            .arg(shown));
    if (!sheets)
        return Fail(sheets.error());
    return MakeSheetsWorkbook(std::move(*sheets));
}
