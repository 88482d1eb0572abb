// The one place that names the files and folders of a project and of the program folder, so
// a renamed file cannot drift apart between the dialogs, the composer and the CLI.
#pragma once

#include <QString>

// The five CANopen table files, each "<name>.xml" with its "<name>.csv" export.
enum class TableFile { Sdo, Rpdodef, Sdopdo, Emcydef, Emcyword };

namespace ProjectLayout {

// In a project folder.
QString PargenPath(const QString& projectFolder);
QString VarPath(const QString& projectFolder);
QString BinFolder(const QString& projectFolder);
QString BankImagePath(const QString& projectFolder);  // bin/bank1.bin
QString BankSourcePath(const QString& projectFolder); // bin/bankg.c
QString TableName(TableFile table);                   // "sdo", "rpdodef", ...
QString TablePath(const QString& projectFolder, TableFile table);
QString TableExportPath(const QString& projectFolder, TableFile table);
// The same by table name.
QString TablePath(const QString& projectFolder, const QString& tableName);
// The export is named with a "/" after the folder, as the editors always wrote it.
QString TableExportPath(const QString& projectFolder, const QString& tableName);

// What the last `probe --save` read from the gateway, with its time.
QString ProbeResultsPath(const QString& projectFolder);

// "bank1.bin" ... "bank5.bin", the bank files a patch reads from a bin folder.
QString BankFileName(int bank);
// The base firmware kept in MASTER, and the name of the firmware an update makes from it.
QString BaseFirmwareName();
QString NewFirmwareName(const QString& baseName);

// In the program folder.
QString MasterFolder(const QString& programFolder);
QString ProjectsFolder(const QString& programFolder);
QString SettingsPath(const QString& programFolder);
// Read-only companions, beside the executable or in the install's folders.
QString FlasherFileName();
QString HelpFileName(int productVariant);

} // namespace ProjectLayout
