// Excel workbooks (.xlsx): the package opened with Orcus's zip reader, the cells read here.
// Orcus 0.17's own .xlsx import skips inline strings and parts named by absolute targets, and
// files that openpyxl writes hold both.
#pragma once

#include "editors/SheetCells.h"

#include <QByteArray>

Result<std::unique_ptr<Workbook>> OpenXlsxWorkbook(const QString& path);

// The sheets of a workbook's bytes, read in this process; `notAWorkbook` is the failure for
// bytes that are none.
Result<QList<SheetCells>> ReadXlsxSheets(const QByteArray& bytes, const QString& notAWorkbook);
