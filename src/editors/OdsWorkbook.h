// OpenDocument spreadsheets (.ods), read with Orcus.
#pragma once

#include "editors/SheetCells.h"

Result<std::unique_ptr<Workbook>> OpenOdsWorkbook(const QString& path);
