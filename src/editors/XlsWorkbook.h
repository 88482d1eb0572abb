// Excel 97-2003 workbooks (.xls), read with FreeXL.
#pragma once

#include "editors/Workbook.h"

Result<std::unique_ptr<Workbook>> OpenXlsWorkbook(const QString& path);
