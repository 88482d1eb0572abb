#include "project/ProjectLayout.h"

#include "common/FileIO.h"

namespace ProjectLayout {

QString PargenPath(const QString& projectFolder) {
    return JoinPath(projectFolder, QStringLiteral("pargen.xml"));
}

QString VarPath(const QString& projectFolder) {
    return JoinPath(projectFolder, QStringLiteral("var.xml"));
}

QString BinFolder(const QString& projectFolder) {
    return JoinPath(projectFolder, QStringLiteral("bin"));
}

QString BankImagePath(const QString& projectFolder) {
    return JoinPath(BinFolder(projectFolder), BankFileName(1));
}

QString BankSourcePath(const QString& projectFolder) {
    return JoinPath(BinFolder(projectFolder), QStringLiteral("bankg.c"));
}

QString TableName(TableFile table) {
    switch (table) {
    case TableFile::Sdo:
        return QStringLiteral("sdo");
    case TableFile::Rpdodef:
        return QStringLiteral("rpdodef");
    case TableFile::Sdopdo:
        return QStringLiteral("sdopdo");
    case TableFile::Emcydef:
        return QStringLiteral("emcydef");
    case TableFile::Emcyword:
        return QStringLiteral("emcyword");
    }
    return {};
}

QString TablePath(const QString& projectFolder, TableFile table) {
    return TablePath(projectFolder, TableName(table));
}

QString TableExportPath(const QString& projectFolder, TableFile table) {
    return TableExportPath(projectFolder, TableName(table));
}

QString TablePath(const QString& projectFolder, const QString& tableName) {
    return JoinPath(projectFolder, tableName + QStringLiteral(".xml"));
}

QString TableExportPath(const QString& projectFolder, const QString& tableName) {
    return projectFolder + QLatin1Char('/') + tableName + QStringLiteral(".csv");
}

QString ProbeResultsPath(const QString& projectFolder) {
    return JoinPath(projectFolder, QStringLiteral("probe.json"));
}

QString BankFileName(int bank) {
    return QStringLiteral("bank%1.bin").arg(bank);
}

QString BaseFirmwareName() {
    return QStringLiteral("sx93051.sx");
}

QString NewFirmwareName(const QString& baseName) {
    return QStringLiteral("New_") + baseName;
}

QString MasterFolder(const QString& programFolder) {
    return JoinPath(programFolder, QStringLiteral("MASTER"));
}

QString ProjectsFolder(const QString& programFolder) {
    return JoinPath(programFolder, QStringLiteral("PROJECTS"));
}

QString SettingsPath(const QString& programFolder) {
    return JoinPath(programFolder, QStringLiteral("Quenzor.ini"));
}

QString FlasherFileName() {
    return QStringLiteral("VidodIzuze.exe");
}

QString HelpFileName(int productVariant) {
    return QStringLiteral("help%1.dat").arg(productVariant);
}

} // namespace ProjectLayout
