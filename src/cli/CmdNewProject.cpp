// quenzor-cli new-project: a project folder with its bin folder, the default pargen.xml and
// an empty var.xml, as New project makes them.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/FileIO.h"
#include "parameters/NewProjectFiles.h"
#include "project/ProjectFolder.h"
#include "project/ProjectLayout.h"
#include "project/Workspace.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char kUsage[] =
    "usage: quenzor-cli new-project PROJECT_DIR\n\n"
    "Makes the folder PROJECT_DIR (its parent must exist; an existing folder is refused) and\n"
    "PROJECT_DIR/bin, then writes the default PROJECT_DIR/pargen.xml and an empty\n"
    "PROJECT_DIR/var.xml. Prints the two files' paths.\n"
    "Exit status: 0 project made, 1 failure (message on standard error), 2 usage.";

} // namespace

int RunNewProjectCommand(const QStringList& args) {
    CommandLine line(kUsage);
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    const QString given = line.positional().first();
    // The folder would be named with U+FFFD instead of what was typed.
    if (!ArgumentIsFaithful(given)) {
        CliErr(QStringLiteral("Name project not valid"));
        return 1;
    }
    // An installed program's first command may be this one: its PROJECTS must exist to be
    // named as the parent.
    Workspace ws;
    InitWorkspace(ws, DefaultProgramFolder(), DefaultInstalledFiles());
    const QString project =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(given).absoluteFilePath()));
    if (Result<> made = CreateProjectFolder(project); !made) {
        CliErr(made.error());
        return 1;
    }
    const QString pargen = ProjectLayout::PargenPath(project);
    const QString var = ProjectLayout::VarPath(project);
    if (Result<> written = WriteNewProjectFiles(pargen, var); !written) {
        // The folder is ours (an existing one is refused above): a half-made project would
        // only be refused as existing on the next try.
        QDir(project).removeRecursively();
        CliErr(written.error());
        return 1;
    }
    CliOut(pargen);
    CliOut(var);
    return 0;
}
