// What every table editor says and asks in the same words around its own rows: a reading error,
// the question before a table file that was not read completely is replaced, the sheet of an
// import and why an import stopped, and the export write.
#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringList>

#include <vector>

class Prompter;

// What a Show could not place of the table file, so that OK asks before replacing it.
struct LoadShortfall {
    bool incomplete = false;
    int fileRows = -1; // the rows the file held; -1 when it could not be parsed

    void clear() { *this = {}; }
    void note(int rows) {
        incomplete = true;
        fileRows = rows;
    }
};

// "The table shows the N rows read before it; OK asks before replacing the file."
QString RowsHeldText(int placed);
// `headline` (the editor's reading error message), then the reason with what the table holds.
void ReportReadError(Prompter& prompter, const QString& headline, const QString& problem,
                     int placed);
// A row's value that had to be integer text.
QString NotIntegerValueProblem(const QString& attribute, const QString& value);

// OK's question before a table file that was not read completely is replaced by `rows` rows;
// true when the file was read completely or the answer is Yes.
bool ConfirmReplace(const LoadShortfall& shortfall, const QString& path, qsizetype rows,
                    const QString& caption, Prompter& prompter);

// The records of the sheet named `tableName` (any letter case) of the workbook at `path`.
struct ImportSheet {
    QString name;
    std::vector<QStringList> records;
};
// Fails with the reason the import cannot start.
Result<ImportSheet> ReadImportSheet(const QString& path, const QString& tableName);

// Why record `record` (counted from 0, after the heading row) of the sheet stopped the import,
// or why it was left out, each starting "at row N of the sheet "NAME": ".
QString SheetRowPlace(std::size_t record, const QString& sheetName);
QString SheetWidthProblem(qsizetype columns, qsizetype needed);
QString SheetCellProblem(const QString& column, const QString& text);
// "Import stopped: <why>" for an import that could not start.
bool ImportCannotStart(Prompter& prompter, const QString& why);
// "Import stopped <place and reason>"; false, for the caller to return.
bool ImportStopped(Prompter& prompter, const QString& placeAndReason);
// Records that were read but not placed: "Import left out N record(s) of the sheet "NAME":
// row R: why; ...". Nothing when `reasons` is empty; false when something was left out.
bool ReportLeftOut(Prompter& prompter, const QString& sheetName, const QStringList& reasons);

// The export file of `tableName` in `projectFolder` written with `lines`; a failure goes to the
// general error report.
bool ExportLines(const QString& projectFolder, const QString& tableName,
                 const std::vector<QStringList>& lines, Prompter& prompter);
// The table file written with `rows` in the attribute order; a failure goes to the general
// error report.
bool WriteTableRows(const QString& path, const QString& tableName, const QStringList& attributes,
                    const std::vector<QStringList>& rows, Prompter& prompter);
// OK of an editor: the rows it writes (a failure goes to the general error report), the
// question when Show left rows out, then the table file; `shortfall` is cleared once written.
bool SaveTableRows(const Result<std::vector<QStringList>>& rows, LoadShortfall& shortfall,
                   const QString& path, const QString& tableName, const QStringList& attributes,
                   const QString& caption, Prompter& prompter);
