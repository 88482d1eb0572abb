// The program-wide record of folders and of the current project, and the settings file
// that remembers the last project between runs.
#pragma once

#include "common/Result.h"

#include <QString>

// Fixed at build time; 2 in this product.
inline constexpr int ProductVariant = 2;

struct Workspace {
    QString ProgramFolder;
    QString MasterFolder;
    QString ProjectsFolder;
    QString ProjectName;
    QString ProjectFolder;
    QString PargenPath;
    QString VarPath;
};

// The folder of the running program, or the override given by the environment variable
// QUENZOR_PROGRAM_DIR (for tests and read-only installs). No trailing separator.
QString DefaultProgramFolder();

// Fills the whole workspace from `programFolder` and its "Quenzor.ini"; creates MASTER and
// PROJECTS when missing. Returns true when the stored project was reopened.
bool InitWorkspace(Workspace& ws, const QString& programFolder);

// PargenPath and VarPath from ProjectFolder; text only, nothing is looked at on disk.
void RefreshProjectPaths(Workspace& ws);

// Writes ProjectName to "Quenzor.ini", verbatim, keeping the rest of the file.
Result<> SaveLastProject(const Workspace& ws);

QString SettingsPath(const Workspace& ws);
