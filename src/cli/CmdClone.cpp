// quenzor-cli clone: one project per row of a sites table, made from a template project.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/PrintableText.h"
#include "fleet/SiteClone.h"
#include "project/ProjectLayout.h"
#include "project/Workspace.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: quenzor-cli clone TEMPLATE_DIR SITES.csv [--into DIR] [--update]\n\n"
    "Makes one project per row of SITES.csv under DIR (default: the folder of TEMPLATE_DIR).\n"
    "The first line names the columns: \"name\" (the new project's folder name), then any\n"
    "pargen.xml element, for example TCP_IP4, TCP_SUB3, TCP_GAT4, TCP_PORT, SNMP_PUBLIC.\n"
    "Each project gets the template's files with those values, checked as General Parameter\n"
    "checks them, and a composed bin/bank1.bin and bin/bankg.c. With --update each is also\n"
    "patched into its own New_sx93051.sx from MASTER; the flasher is never started.\n"
    "A row that fails is reported with its line and reason and leaves no project behind; the\n"
    "other rows go on. Ends with a summary table.\n"
    "Exit status: 0 every row made, 1 some row failed, 2 usage or an unreadable table.";

} // namespace

int RunCloneCommand(const QStringList& args) {
    CommandLine line(kUsage);
    line.addOption(QStringLiteral("into"), QStringLiteral("DIR"));
    line.addOption(QStringLiteral("update"));
    if (const auto status = line.parse(args, 2, 2))
        return *status;
    CloneOptions options;
    options.templateFolder =
        QDir::toNativeSeparators(QFileInfo(line.positional()[0]).absoluteFilePath());
    if (!QFileInfo(ProjectLayout::PargenPath(options.templateFolder)).isFile()) {
        CliErr(QStringLiteral("quenzor-cli: %1 is not a project folder (no pargen.xml)")
                   .arg(PrintableText(options.templateFolder)));
        return 2;
    }
    options.targetFolder =
        QDir::toNativeSeparators(QFileInfo(line.isSet(QStringLiteral("into"))
                                               ? line.value(QStringLiteral("into"))
                                               : QFileInfo(options.templateFolder).absolutePath())
                                     .absoluteFilePath());
    options.patch = line.isSet(QStringLiteral("update"));
    if (options.patch) {
        Workspace ws;
        InitWorkspace(ws, DefaultProgramFolder(), DefaultInstalledFiles());
        options.baseFirmware = ProjectLayout::MasterFolder(ws.ProgramFolder) + QDir::separator() +
                               ProjectLayout::BaseFirmwareName();
        if (!QFileInfo(options.baseFirmware).isFile()) {
            CliErr(QStringLiteral("Error file sx93051.sx not found"));
            return 1;
        }
    }
    const Result<SitesTable> table = ReadSitesTable(line.positional()[1]);
    if (!table) {
        CliErr(PrintableText(table.error()));
        return 2;
    }
    const bool terminal = isatty(fileno(stderr));
    const QList<SiteOutcome> outcomes =
        CloneSites(options, *table, [terminal](int done, int total) {
            if (terminal)
                std::fprintf(stderr, "\r%d of %d sites", done, total), std::fflush(stderr);
        });
    if (terminal)
        std::fprintf(stderr, "\n");
    int failed = 0;
    for (const SiteOutcome& o : outcomes) {
        if (!o.made) {
            ++failed;
            CliErr(PrintableText(
                QStringLiteral("line %1 (%2): %3").arg(o.line).arg(o.name, o.detail)));
        }
        for (const QString& w : o.warnings)
            CliErr(PrintableText(QStringLiteral("line %1 (%2): %3").arg(o.line).arg(o.name, w)));
    }
    CliOut(QStringLiteral("%1  %2  %3")
               .arg(QStringLiteral("line"), -5)
               .arg(QStringLiteral("site"), -24)
               .arg(QStringLiteral("result")));
    for (const SiteOutcome& o : outcomes)
        CliOut(PrintableText(
            QStringLiteral("%1  %2  %3")
                .arg(o.line, -5)
                .arg(o.name, -24)
                .arg(o.made ? (o.detail.isEmpty()
                                   ? QStringLiteral("made")
                                   : QStringLiteral("made, ") + QDir::toNativeSeparators(o.detail))
                            : QStringLiteral("FAILED: ") + o.detail)));
    CliOut(
        QStringLiteral("%1 of %2 sites made.").arg(outcomes.size() - failed).arg(outcomes.size()));
    return failed == 0 ? 0 : 1;
}
