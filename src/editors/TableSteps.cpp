#include "editors/TableSteps.h"

#include "common/Prompter.h"
#include "editors/CsvExport.h"
#include "editors/TableFile.h"
#include "editors/TableFiles.h"
#include "editors/Workbook.h"

#include <QDir>

QString RowsHeldText(int placed) {
    if (placed == 0)
        return QStringLiteral("The table shows no rows of it; OK asks before replacing the file.");
    return QStringLiteral("The table shows the %1 row%2 read before it; OK asks before replacing "
                          "the file.")
        .arg(placed)
        .arg(placed == 1 ? QString() : QStringLiteral("s"));
}

void ReportReadError(Prompter& prompter, const QString& headline, const QString& problem,
                     int placed) {
    prompter.message(headline);
    prompter.message(problem + QLatin1Char(' ') + RowsHeldText(placed));
}

QString NotIntegerValueProblem(const QString& attribute, const QString& value) {
    return QStringLiteral("has the \"%1\" value \"%2\", which is not an integer value.")
        .arg(attribute, value);
}

bool ConfirmReplace(const LoadShortfall& shortfall, const QString& path, qsizetype rows,
                    const QString& caption, Prompter& prompter) {
    // Asked even when as many rows are written: those left out are not among them.
    if (!shortfall.incomplete)
        return true;
    const QString shown = QDir::toNativeSeparators(path);
    const QString text =
        shortfall.fileRows < 0
            ? QStringLiteral("\"%1\" could not be read. Replace it with the rows shown?").arg(shown)
            : QStringLiteral("\"%1\" holds %2 rows but could not be read completely. "
                             "Replace it with the %3 rows shown?")
                  .arg(shown)
                  .arg(shortfall.fileRows)
                  .arg(rows);
    return prompter.question(caption, text);
}

Result<ImportSheet> ReadImportSheet(const QString& path, const QString& tableName) {
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(path);
    if (!book)
        return Fail(book.error());
    const int sheet = FindSheet(**book, tableName);
    if (sheet < 0)
        return Fail(QStringLiteral("\"%1\" has no sheet named \"%2\".")
                        .arg(QDir::toNativeSeparators(path), tableName));
    Result<std::vector<QStringList>> records = (*book)->records(sheet);
    if (!records)
        return Fail(records.error());
    return ImportSheet{(*book)->sheetNames()[sheet], std::move(*records)};
}

QString SheetRowPlace(std::size_t record, const QString& sheetName) {
    return QStringLiteral("at row %1 of the sheet \"%2\": ").arg(record + 2).arg(sheetName);
}

QString SheetWidthProblem(qsizetype columns, qsizetype needed) {
    return QStringLiteral("the sheet has %1 columns, the table needs %2.").arg(columns).arg(needed);
}

QString SheetCellProblem(const QString& column, const QString& text) {
    return text.isEmpty() ? QStringLiteral("the \"%1\" cell is empty.").arg(column)
                          : QStringLiteral("the \"%1\" cell \"%2\" is not an integer value.")
                                .arg(column, text);
}

bool ImportCannotStart(Prompter& prompter, const QString& why) {
    prompter.message(QStringLiteral("Import stopped: ") + why);
    return false;
}

bool ImportStopped(Prompter& prompter, const QString& placeAndReason) {
    prompter.message(QStringLiteral("Import stopped ") + placeAndReason);
    return false;
}

bool ReportLeftOut(Prompter& prompter, const QString& sheetName, const QStringList& reasons) {
    if (reasons.isEmpty())
        return true;
    prompter.message(QStringLiteral("Import left out %1 record%2 of the sheet \"%3\": %4.")
                         .arg(reasons.size())
                         .arg(reasons.size() == 1 ? QString() : QStringLiteral("s"), sheetName,
                              reasons.join(QStringLiteral("; "))));
    return false;
}

bool ExportLines(const QString& projectFolder, const QString& tableName,
                 const std::vector<QStringList>& lines, Prompter& prompter) {
    if (Result<> written = WriteCsvFile(ExportFilePath(projectFolder, tableName), lines);
        !written) {
        prompter.errorReport(written.error());
        return false;
    }
    return true;
}

bool WriteTableRows(const QString& path, const QString& tableName, const QStringList& attributes,
                    const std::vector<QStringList>& rows, Prompter& prompter) {
    if (Result<> written = WriteTableFile(path, tableName, attributes, rows); !written) {
        prompter.errorReport(written.error());
        return false;
    }
    return true;
}

bool SaveTableRows(const Result<std::vector<QStringList>>& rows, LoadShortfall& shortfall,
                   const QString& path, const QString& tableName, const QStringList& attributes,
                   const QString& caption, Prompter& prompter) {
    if (!rows) {
        prompter.errorReport(rows.error());
        return false;
    }
    if (!ConfirmReplace(shortfall, path, qsizetype(rows->size()), caption, prompter))
        return false;
    if (!WriteTableRows(path, tableName, attributes, *rows, prompter))
        return false;
    shortfall.clear();
    return true;
}
