// .xls workbooks made at test time with Debian's python3-xlwt (see WorkbookFixture.h).
#pragma once

#include "WorkbookFixture.h"

using XlsSheet = WorkbookSheet;

// True when the workbook was written.
inline bool MakeXls(const QString& path, const std::vector<XlsSheet>& sheets) {
    return MakeWorkbook(path, sheets);
}
