#include "report/ReportDocument.h"

#include "common/FileIO.h"
#include "info/ProductInfo.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

namespace {

constexpr int kDpi = 96;
constexpr double kMarginMm = 18;
constexpr double kBandMm = 9; // the running head above the text, the page numbers below

const QString kBodyFont = QStringLiteral("DejaVu Sans");

// Qt's rich text reads this too; what it does not know it leaves alone.
const char kStyle[] = R"(
body { font-family: 'DejaVu Sans', sans-serif; font-size: 9pt; color: #1b1b1b; }
h1 { font-size: 17pt; font-weight: bold; color: #17324d; margin: 0; }
h2 { font-size: 11.5pt; font-weight: bold; color: #17324d; margin-top: 16px; margin-bottom: 5px; }
p.kicker { font-size: 8pt; font-weight: bold; color: #5a6b7d; letter-spacing: 1px; margin: 0; }
p.product { font-size: 8.5pt; color: #5a6b7d; margin: 0; }
p.caption { font-size: 8.5pt; font-weight: bold; color: #33475b; margin-top: 8px; margin-bottom: 3px; }
p.note { font-size: 8pt; color: #4a4a4a; margin-top: 4px; margin-bottom: 2px; }
table.grid, table.fields { border-collapse: collapse; border-color: #aab6c3; border-style: solid; }
table.grid th { background-color: #e3e9f0; color: #17324d; font-weight: bold; text-align: left; }
table.grid th, table.grid td { font-size: 8pt; }
table.fields th { background-color: #f1f4f7; font-weight: normal; color: #33475b; text-align: left; }
table.fields td { font-weight: bold; }
td.mono { font-family: 'DejaVu Sans Mono', monospace; font-weight: normal; font-size: 8pt; }
table.grid th.title { background-color: #17324d; color: #ffffff; font-size: 8.5pt; }
@media print { h2 { page-break-after: avoid; } thead { display: table-header-group; } }
)";

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

QString fieldsHtml(const QList<std::pair<QString, QString>>& fields) {
    if (fields.isEmpty())
        return {};
    QString html = QStringLiteral("<table class=\"fields\" width=\"100%\" border=\"1\" "
                                  "cellspacing=\"0\" cellpadding=\"4\">");
    for (const auto& [label, value] : fields) {
        const bool mono = label.contains(QLatin1String("SHA-256"));
        html +=
            QStringLiteral("<tr><th width=\"28%\">%1</th><td%2>%3</td></tr>")
                .arg(esc(label), mono ? QStringLiteral(" class=\"mono\"") : QString(), esc(value));
    }
    return html + QStringLiteral("</table>");
}

QString tableHtml(const ReportTable& table, bool signOff) {
    if (table.rows.empty() && !table.whenEmpty.isEmpty())
        return (table.caption.isEmpty()
                    ? QString()
                    : QStringLiteral("<p class=\"caption\">%1</p>").arg(esc(table.caption))) +
               QStringLiteral("<p class=\"note\">%1</p>").arg(esc(table.whenEmpty));
    // The caption is a heading row, so it goes with the table onto every page.
    QString html = QStringLiteral("<table class=\"grid\" width=\"100%\" border=\"1\" "
                                  "cellspacing=\"0\" cellpadding=\"3\"><thead>");
    if (!table.caption.isEmpty())
        html += QStringLiteral("<tr><th class=\"title\" colspan=\"%1\">%2</th></tr>")
                    .arg(table.headings.size())
                    .arg(esc(table.caption));
    html += QStringLiteral("<tr>");
    for (const QString& h : table.headings)
        html += QStringLiteral("<th>%1</th>").arg(esc(h));
    html += QStringLiteral("</tr></thead><tbody>");
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        // Every other row shaded, so a long row is easy to follow across the page.
        const QString shade = r % 2 ? QStringLiteral(" bgcolor=\"#f6f8fa\"") : QString();
        html += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < table.headings.size(); ++c)
            // Room to sign in.
            html += QStringLiteral("<td%1>%2</td>")
                        .arg(shade, signOff ? esc(table.rows[r].value(c)) +
                                                  QStringLiteral("<br>&nbsp;<br>&nbsp;")
                                            : esc(table.rows[r].value(c)));
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</tbody></table>");
}

QString madeText(const CommissioningReport& report) {
    return report.generated.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// Head and foot of every PDF page, outside the text's own area.
void paintBands(QPainter& painter, const QRectF& text, const CommissioningReport& report,
                int pageNumber, int pageCount) {
    QFont font(kBodyFont);
    font.setPointSizeF(7);
    font.setStyleStrategy(QFont::PreferNoShaping);
    painter.setFont(font);
    painter.setPen(QColor(0x5a, 0x6b, 0x7d));
    const double band = kBandMm * kDpi / 25.4;
    const QRectF head(text.left(), text.top() - band, text.width(), band * 0.6);
    const QRectF foot(text.left(), text.bottom() + band * 0.4, text.width(), band * 0.6);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Commissioning report \u2014 %1").arg(report.projectName));
    painter.drawText(head, Qt::AlignRight | Qt::AlignVCenter,
                     kAboutProduct + QStringLiteral(" \u00b7 ") + kAboutFunction);
    painter.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("%1 \u00b7 made %2").arg(report.program, madeText(report)));
    painter.drawText(foot, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(pageNumber).arg(pageCount));
    painter.setPen(QPen(QColor(0xaa, 0xb6, 0xc3), 0.8));
    painter.drawLine(QPointF(text.left(), head.bottom() + 2),
                     QPointF(text.right(), head.bottom() + 2));
    painter.drawLine(QPointF(text.left(), foot.top() - 2), QPointF(text.right(), foot.top() - 2));
}

// A section heading too close to a page's foot starts the next page instead, so that it stands
// above its text. Qt's layout knows no "keep with next".
void keepHeadingsWithText(QTextDocument& doc, double pageHeight) {
    const double needed = pageHeight / 8;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 2)
            continue;
        const QRectF box = doc.documentLayout()->blockBoundingRect(block);
        const double below = pageHeight - std::fmod(box.bottom(), pageHeight);
        if (below >= needed || box.top() < 1)
            continue;
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(format);
    }
}

QString lowerSuffix(const QString& path) {
    return QFileInfo(path).suffix().toLower();
}

} // namespace

QString ReportHtml(const CommissioningReport& report) {
    QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                                  "<title>Commissioning report \u2014 %1</title><style>%2</style>"
                                  "</head><body>")
                       .arg(esc(report.projectName), QString::fromLatin1(kStyle));
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr><td>"
                           "<p class=\"kicker\">COMMISSIONING REPORT</p><h1>%1</h1></td>"
                           "<td align=\"right\" valign=\"bottom\"><p class=\"product\">%2</p>"
                           "<p class=\"product\">%3</p><p class=\"product\">made %4</p></td>"
                           "</tr></table><hr>")
                .arg(esc(report.projectName), esc(kAboutProduct), esc(kAboutFunction),
                     esc(madeText(report)));
    int number = 0;
    for (const ReportSection& s : report.sections) {
        const bool signOff = s.title == QLatin1String("Sign-off");
        html += QStringLiteral("<h2>%1&nbsp;&nbsp;%2</h2>").arg(++number).arg(esc(s.title));
        html += fieldsHtml(s.fields);
        for (const ReportTable& t : s.tables)
            html += tableHtml(t, signOff);
        for (const QString& note : s.notes)
            html += QStringLiteral("<p class=\"note\">%1</p>").arg(esc(note));
    }
    return html + QStringLiteral("</body></html>\n");
}

Result<QByteArray> ReportPdf(const CommissioningReport& report) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(kDpi);
    writer.setTitle(QStringLiteral("Commissioning report \u2014 %1").arg(report.projectName));
    writer.setCreator(report.program);

    const QRectF page(0, 0, writer.width(), writer.height());
    const double margin = kMarginMm * kDpi / 25.4;
    const double band = kBandMm * kDpi / 25.4;
    const QRectF text = page.adjusted(margin, margin + band, -margin, -margin - band);

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    QFont font(kBodyFont);
    font.setPointSizeF(9);
    // Without shaping there are no ligatures, so "Offset" is found and copied as typed.
    font.setStyleStrategy(QFont::PreferNoShaping);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setPageSize(text.size());
    doc.setHtml(ReportHtml(report));
    keepHeadingsWithText(doc, text.height());

    QPainter painter;
    if (!painter.begin(&writer))
        return Fail(QStringLiteral("The PDF writer could not start."));
    const int pages = doc.pageCount();
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            writer.newPage();
        painter.save();
        painter.translate(text.left(), text.top() - p * text.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, p * text.height(), text.width(), text.height());
        painter.setClipRect(context.clip);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
        paintBands(painter, text, report, p + 1, pages);
    }
    painter.end();
    return bytes;
}

bool IsReportPath(const QString& path) {
    const QString suffix = lowerSuffix(path);
    return suffix == QLatin1String("pdf") || suffix == QLatin1String("html") ||
           suffix == QLatin1String("htm");
}

Result<> WriteReport(const CommissioningReport& report, const QString& path) {
    if (!IsReportPath(path))
        return Fail(QStringLiteral("\"%1\" is neither a .pdf nor an .html file.")
                        .arg(QDir::toNativeSeparators(path)));
    if (lowerSuffix(path) != QLatin1String("pdf"))
        return WriteFileAtomically(path, ReportHtml(report).toUtf8());
    Result<QByteArray> pdf = ReportPdf(report);
    if (!pdf)
        return Fail(pdf.error());
    return WriteFileAtomically(path, *pdf);
}
