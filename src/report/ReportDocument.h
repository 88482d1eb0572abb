// The commissioning report laid out as a document: an HTML page, or A4 PDF pages with a running
// head and page numbers whose long tables carry their headings onto every page.
#pragma once

#include "common/Result.h"
#include "report/CommissioningReport.h"

#include <QByteArray>
#include <QString>

// A page of its own, styled for a browser and for print.
QString ReportHtml(const CommissioningReport& report);

// Through QTextDocument and QPdfWriter; needs a QGuiApplication (fonts), which may run on the
// offscreen platform.
Result<QByteArray> ReportPdf(const CommissioningReport& report);

// PDF for a path ending in ".pdf", HTML for ".html" or ".htm" (letter case aside); anything
// else is refused before work starts.
Result<> WriteReport(const CommissioningReport& report, const QString& path);

// Whether WriteReport takes that path's extension.
bool IsReportPath(const QString& path);
