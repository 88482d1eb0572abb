#include "editors/XlsWorkbook.h"

#include "editors/ChildReader.h"
#include "editors/SheetCells.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <freexl.h>

namespace {

QString cellText(const FreeXL_CellValue& cell) {
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

SheetCells readSheet(const void* handle, unsigned short sheet, const QString& name) {
    SheetCells data{name, {}, {}};
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, sheet) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
        data.error = QStringLiteral("The sheet \"%1\" cannot be read.").arg(name);
        return data;
    }
    // The dimensions are the file's own claim: reading every cell of a full sheet would take
    // the child longer than the import waits for it.
    if (SheetTooLarge(rows, columns)) {
        data.error = SheetTooLargeMessage(name);
        return data;
    }
    for (unsigned int r = 1; r < rows; ++r) {
        QStringList cells;
        cells.reserve(columns);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK) {
                data.error = QStringLiteral("Row %1 of the sheet \"%2\" cannot be read.")
                                 .arg(r + 1)
                                 .arg(name);
                data.records.clear();
                return data;
            }
            cells.append(cellText(cell));
        }
        data.records.append(std::move(cells));
    }
    return data;
}

} // namespace

Result<QList<SheetCells>> ReadXlsSheets(const QString& path, const QString& notAWorkbook) {
    const void* handle = nullptr;
    // A failed open has released what it took, even where it leaves the handle set.
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK)
        return Fail(notAWorkbook);
    QList<SheetCells> sheets;
    unsigned int count = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) == FREEXL_OK) {
        for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) !=
                FREEXL_OK)
                break;
            sheets.append({name ? QString::fromUtf8(name) : QString(), {}, {}});
        }
        for (int i = 0; i < sheets.size(); ++i)
            sheets[i] = readSheet(handle, static_cast<unsigned short>(i), sheets[i].name);
    }
    freexl_close(handle);
    return sheets;
}

Result<std::unique_ptr<Workbook>> OpenXlsWorkbook(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        return Fail(QStringLiteral("\"%1\" is not a file.").arg(shown));
    const QString notAWorkbook =
        QStringLiteral("\"%1\" is not an Excel workbook (.xls).").arg(shown);
    // FreeXL reads damaged files out of bounds (seen with AddressSanitizer and valgrind on
    // fuzzed .xls files), hence the child.
    Result<QList<SheetCells>> sheets = ReadInChild(
        [&] { return ReadXlsSheets(path, notAWorkbook); },
        QStringLiteral("\"%1\" is not an Excel workbook that can be read (.xls): its reader "
                       "stopped.")
            .arg(shown));
    if (!sheets)
        return Fail(sheets.error());
    return MakeSheetsWorkbook(std::move(*sheets));
}
