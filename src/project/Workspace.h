// The program-wide record of folders and of the current project, and the settings file
// that remembers the last project between runs.
#pragma once

#include "common/Result.h"
#include "project/ProductVariant.h"

#include <QString>

struct Workspace {
    QString ProgramFolder; // holds MASTER, PROJECTS and Quenzor.ini
    QString MasterFolder;
    QString ProjectsFolder;
    QString ProjectName;
    QString ProjectFolder;
    QString PargenPath;
    QString VarPath;
    // Where the read-only companions are: the program folder when run from a build tree, the
    // install's own folders when installed.
    QString FlasherFolder;
    QString HelpFolder;
};

// Where an installed program keeps its read-only companions; empty when run from a build tree.
struct InstalledFiles {
    QString flasherFolder;
    QString helpFolder;
    QString sampleMasterFolder; // MASTER is seeded from here once
};

// The folder of the running program, or the override given by the environment variable
// QUENZOR_PROGRAM_DIR (for tests). When the executable's folder cannot be written (an
// installed program), the user's data folder. No trailing separator.
QString DefaultProgramFolder();
// The installed companions of the running program; empty ones under a build tree.
InstalledFiles DefaultInstalledFiles();

// Every folder and path of a workspace on `programFolder`, with no project open; text only,
// nothing is looked at on disk.
Workspace BuildWorkspace(const QString& programFolder, const InstalledFiles& installed = {});

// BuildWorkspace, then creates MASTER and PROJECTS when missing (MASTER seeded from the
// installed sample) and reopens the project stored in "Quenzor.ini". Returns true when the
// stored project was reopened.
bool InitWorkspace(Workspace& ws, const QString& programFolder,
                   const InstalledFiles& installed = {});

// An installed program's MASTER folder, made and given the sample firmware when missing.
void SeedMasterFolder(const Workspace& ws, const InstalledFiles& installed);

// PargenPath and VarPath from ProjectFolder; text only, nothing is looked at on disk.
void RefreshProjectPaths(Workspace& ws);

// Writes ProjectName to "Quenzor.ini", verbatim, keeping the rest of the file.
Result<> SaveLastProject(const Workspace& ws);

QString SettingsPath(const Workspace& ws);
