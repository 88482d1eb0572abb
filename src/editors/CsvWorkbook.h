// The CSV files of the editors' export read back as a workbook: one sheet named after the
// file, the exact reverse of CsvText (every value followed by ",", nothing quoted).
#pragma once

#include "editors/Workbook.h"

#include <QByteArray>

// The lines of an export as cells, each as wide as the widest; CR LF or LF line ends.
std::vector<QStringList> CsvLines(const QByteArray& text);

// `firstLineHeadings`: whether the first line is the headings (and no record).
Result<std::unique_ptr<Workbook>> OpenCsvWorkbook(const QString& path, bool firstLineHeadings);
