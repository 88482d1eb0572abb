// quenzor-cli update: the whole Update Device road of the window without windows: compose,
// write, patch MASTER's base firmware, start the flasher.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/ConsolePrompter.h"
#include "common/FileIO.h"
#include "common/PrintableText.h"
#include "firmware/FirmwareUpdate.h"
#include "image/ImageWriters.h"
#include "project/Workspace.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char kUsage[] =
    "usage: quenzor-cli update PROJECT_DIR --port COMn [--wait]\n\n"
    "Runs Update Device on PROJECT_DIR as the window does: composes pargen.xml into\n"
    "bin/bank1.bin and bin/bankg.c, merges bank 1 into the program folder's\n"
    "MASTER/sx93051.sx as PROJECT_DIR/New_sx93051.sx and starts VidodIzuze.exe on it and on\n"
    "port COMn (COM1 to COM8). The flasher is started only when the bank was placed.\n"
    "--wait waits for the flasher and returns its exit status.\n"
    "QUENZOR_PROGRAM_DIR overrides the program folder. Messages go to standard error.\n"
    "Exit status: 0 flasher started (with --wait: the flasher's status), 1 the update stopped\n"
    "(message on standard error), 2 usage.";

} // namespace

int RunUpdateCommand(const QStringList& args) {
    CommandLine line(kUsage);
    line.addOption(QStringLiteral("port"), QStringLiteral("COMn"));
    line.addOption(QStringLiteral("wait"));
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    const QString project = line.positional().first();
    const bool wait = line.isSet(QStringLiteral("wait"));
    int portIndex = -1;
    const QString port = line.value(QStringLiteral("port")).toUpper();
    for (int p = 0; p < 8; ++p)
        if (port == QStringLiteral("COM%1").arg(p + 1))
            portIndex = p;
    if (portIndex < 0) {
        CliErr(QStringLiteral("quenzor-cli: --port must be one of COM1 to COM8"));
        CliErr(QString::fromLatin1(kUsage));
        return 2;
    }

    // The program folder as the window prepares it at start-up; the project is the one given.
    Workspace ws;
    InitWorkspace(ws, DefaultProgramFolder(), DefaultInstalledFiles());
    ws.ProjectFolder = QDir::toNativeSeparators(QFileInfo(project).absoluteFilePath());
    ws.ProjectName = QFileInfo(project).fileName();
    RefreshProjectPaths(ws);

    ConsolePrompter prompter;
    ConfigImage image;
    if (Result<> saved = ComposeAndSaveImage(image, ws.PargenPath, ws.ProjectFolder); !saved) {
        prompter.errorReport(saved.error());
        return 1;
    }
    ProcessFlasherLauncher launcher(wait);
    FirmwareUpdate update(ws, prompter, launcher);
    if (!update.prepare())
        return 1;
    NoPatchProgress progress;
    if (!update.execute(portIndex, progress))
        return 1;
    CliOut(PrintableText(QStringLiteral("%1 started on COM%2 with %3")
                             .arg(QDir::toNativeSeparators(update.flasherPath()),
                                  QString::number(portIndex + 1),
                                  QDir::toNativeSeparators(update.newFirmwarePath()))));
    return wait ? launcher.exitStatus() : 0;
}
