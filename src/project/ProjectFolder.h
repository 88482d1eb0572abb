// Making a new project's folder with its bin folder: one unit for New project and the CLI.
#pragma once

#include "common/Result.h"

#include <QString>

enum class ProjectFolderError { None, Exists, FolderNotMade, BinNotMade };

// Makes `folder` (one level: its parent must exist) and its bin folder. Refuses a folder that
// already exists.
[[nodiscard]] ProjectFolderError MakeProjectFolder(const QString& folder);

// "Name project not valid because directory already exists", or "Cannot create folder ...".
QString ProjectFolderMessage(ProjectFolderError error, const QString& folder);

// MakeProjectFolder with its message.
Result<> CreateProjectFolder(const QString& folder);
