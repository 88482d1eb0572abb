#include "editors/XlsWorkbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <freexl.h>

namespace {

class XlsWorkbook : public Workbook {
public:
    XlsWorkbook(const void* handle, QStringList names)
        : handle_(handle), names_(std::move(names)) {}
    ~XlsWorkbook() override { freexl_close(handle_); }
    XlsWorkbook(const XlsWorkbook&) = delete;
    XlsWorkbook& operator=(const XlsWorkbook&) = delete;

    QStringList sheetNames() const override { return names_; }

    Result<std::vector<QStringList>> records(int sheet) override {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (sheet < 0 || sheet >= names_.size() ||
            freexl_select_active_worksheet(handle_, static_cast<unsigned short>(sheet)) !=
                FREEXL_OK ||
            freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK)
            return Fail(
                QStringLiteral("The sheet \"%1\" cannot be read.").arg(names_.value(sheet)));
        std::vector<QStringList> out;
        out.reserve(rows > 1 ? rows - 1 : 0);
        for (unsigned int r = 1; r < rows; ++r) {
            QStringList cells;
            cells.reserve(columns);
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue cell;
                if (freexl_get_cell_value(handle_, r, c, &cell) != FREEXL_OK)
                    return Fail(QStringLiteral("Row %1 of the sheet \"%2\" cannot be read.")
                                    .arg(r + 1)
                                    .arg(names_[sheet]));
                cells.append(text(cell));
            }
            out.push_back(std::move(cells));
        }
        return out;
    }

private:
    static QString text(const FreeXL_CellValue& cell) {
        switch (cell.type) {
        case FREEXL_CELL_INT:
            return QString::number(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return NumberText(cell.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            return cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString();
        default:
            return {};
        }
    }

    const void* handle_;
    QStringList names_;
};

} // namespace

Result<std::unique_ptr<Workbook>> OpenXlsWorkbook(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        return Fail(QStringLiteral("\"%1\" is not a file.").arg(shown));
    const void* handle = nullptr;
    // A failed open has released what it took, even where it leaves the handle set.
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK)
        return Fail(QStringLiteral("\"%1\" is not an Excel workbook (.xls).").arg(shown));
    unsigned int count = 0;
    QStringList names;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) == FREEXL_OK) {
        for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK)
                break;
            names.append(name ? QString::fromUtf8(name) : QString());
        }
    }
    return std::unique_ptr<Workbook>(std::make_unique<XlsWorkbook>(handle, std::move(names)));
}
