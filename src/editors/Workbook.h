// A spreadsheet workbook as the table editors' import reads it: its sheets by name, and the
// records of a sheet as cell texts. Formats are added behind OpenWorkbook, not in the editors.
#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Workbook {
public:
    virtual ~Workbook() = default;

    virtual QStringList sheetNames() const = 0;
    // The rows after the sheet's first (the headings), in sheet order, every row as wide as the
    // sheet. An empty cell gives empty text, a number its shortest decimal text (16, not 16.0).
    virtual Result<std::vector<QStringList>> records(int sheet) = 0;
};

// Opens `path` read-only with the reader of its format, told by its content, else by its
// extension: Excel 97-2003 (.xls), Excel (.xlsx), OpenDocument (.ods), or a table's CSV export
// (.csv), which reads as one sheet named after the file.
Result<std::unique_ptr<Workbook>> OpenWorkbook(const QString& path);

// The first sheet whose name equals `name` without regard to letter case; -1 when none does.
int FindSheet(const Workbook& workbook, const QString& name);

// A number as its shortest decimal text, never with an exponent: 16, 0.5, -3.25.
QString NumberText(double value);
