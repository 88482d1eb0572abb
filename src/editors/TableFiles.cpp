#include "editors/TableFiles.h"

#include "common/FileIO.h"

QString TableFilePath(const QString& projectFolder, const QString& tableName) {
    return JoinPath(projectFolder, tableName + QStringLiteral(".xml"));
}

QString ExportFilePath(const QString& projectFolder, const QString& tableName) {
    return projectFolder + QLatin1Char('/') + tableName + QStringLiteral(".csv");
}
