// What every CANopen table editor does without its dialog: the operations of its buttons on
// the table it holds. The dialogs and the headless table commands run this same code.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class Prompter;

// One direction's rows, for a readable listing.
struct TableListing {
    QString caption;
    QStringList headings;
    std::vector<QStringList> rows;
};

class TableEditor {
public:
    virtual ~TableEditor() = default;

    virtual QString tableName() const = 0;
    // The dialog's caption; questions carry it as their title.
    virtual QString caption() const = 0;

    // Show: the whole table emptied, then loaded from the table file. False when a reading
    // error or rows left out mean that it holds less than the file (it has said so).
    virtual bool Show(const QString& projectFolder, Prompter& prompter) = 0;
    // OK: the table file written. False when the save stopped or was declined (it has said why).
    virtual bool Ok(const QString& projectFolder, Prompter& prompter) = 0;
    // Import of the workbook at `path`. False when not every record of the sheet was placed;
    // the records placed before stay.
    virtual bool Import(const QString& path, Prompter& prompter) = 0;
    // Export to the export file. False when it could not be written.
    virtual bool Export(const QString& projectFolder, Prompter& prompter) = 0;

    // Whether the export's first line is a title line; the export read back as a workbook
    // then takes it as the headings.
    virtual bool ExportHasTitleLine() const { return false; }

    virtual std::vector<TableListing> Listings() const = 0;
};

// The editor of a table name; null for a name no editor has.
std::unique_ptr<TableEditor> MakeTableEditor(const QString& tableName);
QStringList TableEditorNames();
