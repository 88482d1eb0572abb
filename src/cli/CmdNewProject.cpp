// quenzor-cli new-project: a project folder with its bin folder, the default pargen.xml and
// an empty var.xml, as New project makes them.
#include "cli/Commands.h"

#include "common/FileIO.h"
#include "parameters/NewProjectFiles.h"

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
    if (const auto status = CheckOneArgument(args, kUsage))
        return *status;
    if (args.first().isEmpty())
        return UsageError(kUsage);
    const QString project =
        QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(args.first()).absoluteFilePath()));
    if (const auto failure = CreateProjectFolder(project)) {
        CliErr(*failure);
        return 1;
    }
    const QString pargen = JoinPath(project, QStringLiteral("pargen.xml"));
    const QString var = JoinPath(project, QStringLiteral("var.xml"));
    if (const auto failure = WriteNewProjectFiles(pargen, var)) {
        CliErr(*failure);
        return 1;
    }
    CliOut(pargen);
    CliOut(var);
    return 0;
}
