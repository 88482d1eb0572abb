#include "editors/Workbook.h"

#include "editors/CsvWorkbook.h"
#include "editors/OdsWorkbook.h"
#include "editors/TableEditor.h"
#include "editors/XlsWorkbook.h"
#include "editors/XlsxWorkbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {

enum class Format { Xls, Xlsx, Ods, Csv };

Format formatOf(const QString& path) {
    QFile file(path);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
        head = file.read(96);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return Format::Xls;
    // An OpenDocument package starts with its stored "mimetype" entry.
    if (head.startsWith("PK\x03\x04"))
        return head.mid(30).startsWith("mimetypeapplication/vnd.oasis.opendocument.spreadsheet") ||
                       suffix == QLatin1String("ods")
                   ? Format::Ods
                   : Format::Xlsx;
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("xlsx"))
        return Format::Xlsx;
    if (suffix == QLatin1String("ods"))
        return Format::Ods;
    return Format::Xls;
}

} // namespace

Result<std::unique_ptr<Workbook>> OpenWorkbook(const QString& path) {
    if (!QFileInfo(path).isFile())
        return Fail(QStringLiteral("\"%1\" is not a file.").arg(QDir::toNativeSeparators(path)));
    switch (formatOf(path)) {
    case Format::Xls:
        return OpenXlsWorkbook(path);
    case Format::Xlsx:
        return OpenXlsxWorkbook(path);
    case Format::Ods:
        return OpenOdsWorkbook(path);
    case Format::Csv:
        break;
    }
    // The export of a table is named after it; its first line is a title line only where
    // that table's export writes one.
    const std::unique_ptr<TableEditor> editor =
        MakeTableEditor(QFileInfo(path).completeBaseName().toLower());
    return OpenCsvWorkbook(path, editor && editor->ExportHasTitleLine());
}

int FindSheet(const Workbook& workbook, const QString& name) {
    const QStringList names = workbook.sheetNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString NumberText(double value) {
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QString::number(value);
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}
