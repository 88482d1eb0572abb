// Excel 97-2003 workbooks (.xls), read with FreeXL.
#pragma once

#include "editors/SheetCells.h"

Result<std::unique_ptr<Workbook>> OpenXlsWorkbook(const QString& path);

// The sheets of the workbook at `path`, read by FreeXL in this process (the import runs it in
// a child); `notAWorkbook` is the failure for a file that is none.
Result<QList<SheetCells>> ReadXlsSheets(const QString& path, const QString& notAWorkbook);
