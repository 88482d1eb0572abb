#include "editors/CsvWorkbook.h"

#include "common/FileIO.h"
#include "editors/ChildReader.h"

#include <QDir>
#include <QFileInfo>

namespace {

// An export of the largest table is well under a megabyte.
constexpr qint64 kMaxBytes = 64 << 20;

} // namespace

std::vector<QStringList> CsvLines(const QByteArray& text) {
    QByteArrayView rest(text);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    QList<QStringList> lines;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        // Every value is followed by a comma, so the last one ends the line, not a value.
        if (line.endsWith(','))
            line.chop(1);
        lines.append(QString::fromUtf8(line).split(QLatin1Char(',')));
    }
    PadToSheetWidth(lines);
    return {lines.begin(), lines.end()};
}

Result<std::unique_ptr<Workbook>> OpenCsvWorkbook(const QString& path, bool firstLineHeadings) {
    const QFileInfo info(path);
    if (!info.isFile())
        return Fail(QStringLiteral("\"%1\" is not a file.").arg(QDir::toNativeSeparators(path)));
    if (info.size() > kMaxBytes)
        return Fail(QStringLiteral("\"%1\" is too large to be a table's export.")
                        .arg(QDir::toNativeSeparators(path)));
    Result<QByteArray> text = ReadRegularFile(path);
    if (!text)
        return Fail(text.error());
    std::vector<QStringList> lines = CsvLines(*text);
    SheetCells sheet{info.completeBaseName(), {}, {}};
    for (std::size_t i = firstLineHeadings ? 1 : 0; i < lines.size(); ++i)
        sheet.records.append(std::move(lines[i]));
    return MakeSheetsWorkbook({std::move(sheet)});
}
