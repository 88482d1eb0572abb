// Workbooks made at test time with Debian's python3-xlwt (.xls), python3-openpyxl (.xlsx) and
// python3-odf (.ods), so the import reads files that other programs wrote rather than bytes of
// our own making.
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
struct WorkbookSheet {
    QString name;
    std::vector<QVariantList> rows;
};

// True when the workbook was written; its format follows the extension of `path`.
inline bool MakeWorkbook(const QString& path, const std::vector<WorkbookSheet>& sheets) {
    QJsonArray jsonSheets;
    for (const WorkbookSheet& sheet : sheets) {
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
    const char* script = "import json, sys\n"
                         "wanted = json.load(sys.stdin)\n"
                         "path, sheets = wanted['path'], wanted['sheets']\n"
                         "def cells(sheet):\n"
                         "    for r, row in enumerate(sheet['rows']):\n"
                         "        for c, v in enumerate(row):\n"
                         "            if v is not None:\n"
                         "                yield r, c, v\n"
                         "if path.endswith('.xls'):\n"
                         "    import xlwt\n"
                         "    book = xlwt.Workbook(encoding='utf-8')\n"
                         "    for sheet in sheets:\n"
                         "        ws = book.add_sheet(sheet['name'])\n"
                         "        for r, c, v in cells(sheet):\n"
                         "            ws.write(r, c, v)\n"
                         "    book.save(path)\n"
                         "elif path.endswith('.xlsx'):\n"
                         "    import openpyxl\n"
                         "    book = openpyxl.Workbook()\n"
                         "    book.remove(book.active)\n"
                         "    for sheet in sheets:\n"
                         "        ws = book.create_sheet(sheet['name'])\n"
                         "        for r, c, v in cells(sheet):\n"
                         "            ws.cell(row=r + 1, column=c + 1, value=v)\n"
                         "    book.save(path)\n"
                         "else:\n"
                         "    from odf.opendocument import OpenDocumentSpreadsheet\n"
                         "    from odf.table import Table, TableRow, TableCell\n"
                         "    from odf.text import P\n"
                         "    book = OpenDocumentSpreadsheet()\n"
                         "    for sheet in sheets:\n"
                         "        table = Table(name=sheet['name'])\n"
                         "        for row in sheet['rows']:\n"
                         "            tr = TableRow()\n"
                         "            for v in row:\n"
                         "                if v is None:\n"
                         "                    cell = TableCell()\n"
                         "                elif isinstance(v, str):\n"
                         "                    cell = TableCell(valuetype='string')\n"
                         "                    cell.addElement(P(text=v))\n"
                         "                else:\n"
                         "                    cell = TableCell(valuetype='float', value=repr(v))\n"
                         "                    cell.addElement(P(text=repr(v)))\n"
                         "                tr.addElement(cell)\n"
                         "            table.addElement(tr)\n"
                         "        book.spreadsheet.addElement(table)\n"
                         "    book.save(path)\n";
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
