// OpenDocument spreadsheets (.ods), read with Orcus.
#pragma once

#include "editors/SheetCells.h"

#include <QByteArray>

Result<std::unique_ptr<Workbook>> OpenOdsWorkbook(const QString& path);

// The sheets of a spreadsheet's bytes, read by Orcus in this process (the import runs it in a
// child); `notASpreadsheet` is the failure for bytes that are none.
Result<QList<SheetCells>> ReadOdsSheets(const QByteArray& bytes, const QString& notASpreadsheet);
