// The files every new project starts with: the default general parameters and an empty
// translate table, in a project folder with its bin folder.
#pragma once

#include "common/Result.h"

#include <QString>

#include <optional>

// Makes `folder` (one level: its parent must exist) and its "bin" folder. Refuses a folder
// that already exists. nullopt on success, else the reason.
std::optional<QString> CreateProjectFolder(const QString& folder);

// Writes the default pargen.xml and an empty var.xml; the failure is the first "Cannot create
// file" text.
Result<> WriteNewProjectFiles(const QString& pargenPath, const QString& varPath);
