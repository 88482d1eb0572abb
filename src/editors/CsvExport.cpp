#include "editors/CsvExport.h"

#include "common/FileIO.h"

QByteArray CsvText(const std::vector<QStringList>& lines) {
    QByteArray out;
    for (const QStringList& line : lines) {
        for (const QString& value : line) {
            out += value.toUtf8();
            out += ',';
        }
        out += "\r\n";
    }
    return out;
}

Result<> WriteCsvFile(const QString& path, const std::vector<QStringList>& lines) {
    return WriteFileAtomically(path, CsvText(lines));
}
