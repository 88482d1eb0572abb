// .xls workbooks made at test time with Debian's python3-xlwt, so the import reads files that a
// spreadsheet program wrote rather than bytes of our own making.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QVariant>

#include <utility>
#include <vector>

// One sheet: its name and its rows; a cell is a number (int or double), a text, or empty (an
// invalid QVariant, left unwritten).
struct XlsSheet {
    QString name;
    std::vector<QVariantList> rows;
};

// True when the workbook was written.
inline bool MakeXls(const QString& path, const std::vector<XlsSheet>& sheets) {
    QJsonArray jsonSheets;
    for (const XlsSheet& sheet : sheets) {
        QJsonArray rows;
        for (const QVariantList& row : sheet.rows) {
            QJsonArray cells;
            for (const QVariant& cell : row)
                cells.append(cell.isValid() ? QJsonValue::fromVariant(cell) : QJsonValue());
            rows.append(cells);
        }
        jsonSheets.append(QJsonObject{{"name", sheet.name}, {"rows", rows}});
    }
    const QByteArray input =
        QJsonDocument(QJsonObject{{"path", path}, {"sheets", jsonSheets}}).toJson();
    const char* script = "import json, sys, xlwt\n"
                         "wanted = json.load(sys.stdin)\n"
                         "book = xlwt.Workbook(encoding='utf-8')\n"
                         "for sheet in wanted['sheets']:\n"
                         "    ws = book.add_sheet(sheet['name'])\n"
                         "    for r, row in enumerate(sheet['rows']):\n"
                         "        for c, v in enumerate(row):\n"
                         "            if v is not None:\n"
                         "                ws.write(r, c, v)\n"
                         "book.save(wanted['path'])\n";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromLatin1(script)});
    if (!python.waitForStarted())
        return false;
    python.write(input);
    python.closeWriteChannel();
    return python.waitForFinished(30000) && python.exitStatus() == QProcess::NormalExit &&
           python.exitCode() == 0;
}
