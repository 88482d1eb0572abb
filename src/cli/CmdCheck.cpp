// quenzor-cli check: every problem of a project in one run.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "check/ProjectCheck.h"
#include "common/PrintableText.h"

#include <QFileInfo>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: quenzor-cli check PROJECT_DIR [--json]\n\n"
    "Looks at pargen.xml, var.xml and the CANopen table files of PROJECT_DIR and prints every\n"
    "problem, one line each: error or warning, the file, the row and what is wrong. With\n"
    "--json the same as a JSON array. Nothing is written.\n"
    "Exit status: 0 clean, 1 errors, 3 warnings only, 2 usage.";

} // namespace

int RunCheckCommand(const QStringList& args) {
    CommandLine line(kUsage);
    line.addOption(QStringLiteral("json"));
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    const QString project = line.positional().first();
    if (!QFileInfo(project).isDir()) {
        CliErr(
            QStringLiteral("quenzor-cli: %1 is not a project folder").arg(PrintableText(project)));
        return 2;
    }
    const QList<Finding> findings = CheckProject(project);
    if (line.isSet(QStringLiteral("json"))) {
        std::fwrite(FindingsJson(findings).constData(), 1, size_t(FindingsJson(findings).size()),
                    stdout);
    } else {
        for (const Finding& f : findings)
            CliOut(PrintableText(FindingLine(f)));
        if (findings.isEmpty())
            CliOut(QStringLiteral("No problems found."));
    }
    return FindingsExitStatus(findings);
}
