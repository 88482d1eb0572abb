// The table names of the CANopen editors and where their files lie in a project folder; the
// names themselves are the project layout's.
#pragma once

#include "project/ProjectLayout.h"

#include <QString>

inline const QString kSdoTable = ProjectLayout::TableName(TableFile::Sdo);
inline const QString kPdoTable = ProjectLayout::TableName(TableFile::Rpdodef);
inline const QString kStorePdoTable = ProjectLayout::TableName(TableFile::Sdopdo);
inline const QString kEmcyTable = ProjectLayout::TableName(TableFile::Emcydef);
inline const QString kEmcyWordTable = ProjectLayout::TableName(TableFile::Emcyword);

// The table file: the project folder, the table name, ".xml".
inline QString TableFilePath(const QString& projectFolder, const QString& tableName) {
    return ProjectLayout::TablePath(projectFolder, tableName);
}
// The export file: the project folder, "/", the table name, ".csv".
inline QString ExportFilePath(const QString& projectFolder, const QString& tableName) {
    return ProjectLayout::TableExportPath(projectFolder, tableName);
}
