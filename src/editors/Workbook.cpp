#include "editors/Workbook.h"

#include "editors/XlsWorkbook.h"

#include <QLocale>

#include <cmath>

Result<std::unique_ptr<Workbook>> OpenWorkbook(const QString& path) {
    return OpenXlsWorkbook(path);
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
