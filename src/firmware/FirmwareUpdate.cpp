#include "firmware/FirmwareUpdate.h"

#include "common/FileIO.h"
#include "firmware/BankWindow.h"
#include "firmware/FirmwareCheck.h"
#include "firmware/ImageSource.h"
#include "image/ImageComposer.h"
#include "image/ImageDescription.h"
#include "project/ProjectLayout.h"

#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace {

// Passes everything on and notes whether the patcher said anything.
class CountingPrompter : public Prompter {
public:
    explicit CountingPrompter(Prompter& inner) : inner_(inner) {}
    int shown = 0;
    void message(const QString& text) override { ++shown, inner_.message(text); }
    void error(const QString& text) override { ++shown, inner_.error(text); }
    bool question(const QString& title, const QString& text) override {
        return inner_.question(title, text);
    }
    void errorReport(const QString& text) override { ++shown, inner_.errorReport(text); }
    std::optional<QString> chooseFolder(const QString& prompt, const QString& root,
                                        const QString& preselected) override {
        return inner_.chooseFolder(prompt, root, preselected);
    }
    std::optional<QString> chooseOpenFile(const QString& title, const QString& folder,
                                          const QString& filter) override {
        return inner_.chooseOpenFile(title, folder, filter);
    }

private:
    Prompter& inner_;
};

// Names of intermediate per-bank firmware files: degree sign, B, digit, degree sign.
QString perBankName(int bank) {
    return QStringLiteral("\u00B0B%1\u00B0.sx").arg(bank);
}

} // namespace

QString WithTrailingSeparator(const QString& folder) {
    if (folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')) ||
        folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + QDir::separator();
}

FirmwareUpdate::FirmwareUpdate(const Workspace& workspace, Prompter& prompter,
                               FlasherLauncher& launcher)
    : ws_(workspace), prompter_(prompter), launcher_(launcher) {}

bool FirmwareUpdate::prepare() {
    lastPatch_.reset();
    const QString projectBin = ProjectLayout::BinFolder(ws_.ProjectFolder);
    if (!ws_.ProjectFolder.isEmpty() && QFileInfo(projectBin).isDir())
        binFolder_ = WithTrailingSeparator(projectBin);

    const QString base = ProjectLayout::BaseFirmwareName();
    if (!QFileInfo(JoinPath(ws_.MasterFolder, base)).isFile()) {
        prompter_.error(QStringLiteral("Error file sx93051.sx not found"));
        return false;
    }
    // The flasher runs in MASTER, as it always has; the process's own folder is left alone.
    const QFileInfo master(ws_.MasterFolder);
    if (!master.isDir() || !master.isExecutable()) {
        prompter_.error(QStringLiteral("Error"));
        return false;
    }
    workingFolder_ = ws_.MasterFolder;
    firmwareName_ = base;
    firmwarePath_ = JoinPath(workingFolder_, base);
    outputFolder_ = WithTrailingSeparator(ws_.ProjectFolder);
    newFileName_ = ProjectLayout::NewFirmwareName(firmwareName_);
    return true;
}

void FirmwareUpdate::chooseFirmware(const QString& path) {
    const QFileInfo chosen(path);
    firmwarePath_ = chosen.absoluteFilePath();
    firmwareName_ = chosen.fileName();
    if (workingFolder_.isEmpty())
        workingFolder_ = ws_.MasterFolder;
    outputFolder_ = WithTrailingSeparator(ws_.ProjectFolder);
    newFileName_ = ProjectLayout::NewFirmwareName(firmwareName_);
}

void FirmwareUpdate::setBinFolder(const QString& folder) {
    binFolder_ = WithTrailingSeparator(folder);
}

QString FirmwareUpdate::newFirmwarePath() const {
    return JoinPath(outputFolder_, newFileName_);
}

QString FirmwareUpdate::flasherPath() const {
    return JoinPath(ws_.FlasherFolder, ProjectLayout::FlasherFileName());
}

int FirmwareUpdate::patch(PatchProgress& progress) {
    lastPatch_ = -1;
    if (QFileInfo(firmwarePath_).isFile()) {
        const FirmwareCheck base = CheckFirmwareFile(firmwarePath_, 1);
        // An empty line stops the merge itself, with the patcher's own message.
        if (!base.readError.isEmpty() || base.faults > base.blankLines) {
            const QString why =
                base.readError.isEmpty() ? base.faultTexts.value(0) : base.readError;
            prompter_.message(QStringLiteral("%1 is not a sound S-record firmware (%2),Abort "
                                             "Procedure")
                                  .arg(firmwareName_, why));
            return -1;
        }
    }
    CountingPrompter counting(prompter_);
    const int result =
        PatchFirmwareBank(1, false, firmwarePath_, newFileName_, binFolder_, outputFolder_,
                          progress, counting, PatchOutput::OnlyWhenPlaced);
    lastPatch_ = result;
    if (result == -1 && counting.shown == 0)
        prompter_.message(
            QStringLiteral("No S9 record in %1: New Firmware not complete,Abort Procedure")
                .arg(firmwareName_));
    removePerBankFiles();
    return result;
}

void FirmwareUpdate::removePerBankFiles() {
    if (outputFolder_.isEmpty())
        return;
    for (int bank = 1; bank <= kBankCount; ++bank)
        QFile::remove(JoinPath(outputFolder_, perBankName(bank)));
}

void FirmwareUpdate::reportBankNotFound() {
    prompter_.message(
        QStringLiteral("Bank 1 Not Found in %1: Configuration not placed,Abort Procedure")
            .arg(firmwareName_));
}

bool FirmwareUpdate::flasherRunnable() {
    const QFileInfo flasher(flasherPath());
    if (!flasher.isFile()) {
        prompter_.message(QStringLiteral("VidodIzuze.exe Not Found, Procedure Aborted"));
        return false;
    }
    if (!flasher.isExecutable()) {
        prompter_.message(QStringLiteral("VidodIzuze.exe Not Started, Procedure Aborted. %1")
                              .arg(qt_error_string(EACCES)));
        return false;
    }
    return true;
}

bool FirmwareUpdate::readyToFlash() {
    if (!QFileInfo(newFirmwarePath()).isFile()) {
        prompter_.message(QStringLiteral("File *.Sx Not Found,Abort Procedure"));
        return false;
    }
    if (!QFileInfo(flasherPath()).isFile()) {
        prompter_.message(QStringLiteral("VidodIzuze.exe Not Found, Procedure Aborted"));
        return false;
    }
    if (lastPatch_ != 1) {
        prompter_.message(QStringLiteral("Firmware not patched with Bank 1, Procedure Aborted"));
        return false;
    }
    return true;
}

Result<QString> FirmwareUpdate::flashSummary(const QString& portName) const {
    const FirmwareCheck check = CheckFirmwareFile(newFirmwarePath(), 1);
    if (!check.readError.isEmpty())
        return Fail(check.readError);
    if (!check.flashable())
        return Fail(QStringLiteral("%1 cannot be flashed: %2")
                        .arg(newFileName_, check.faultTexts.value(
                                               0, QStringLiteral("the bank window is not whole"))));
    // Label and value with one blank: a box's proportional font would not line up columns.
    QStringList lines{QStringLiteral("Flash %1 on %2?").arg(newFileName_, portName), QString(),
                      QStringLiteral("Project: ") + ws_.ProjectName};
    static const QStringList shown{QStringLiteral("IP address"), QStringLiteral("Subnet mask"),
                                   QStringLiteral("TCP port"),   QStringLiteral("Baud rate"),
                                   QStringLiteral("Parity"),     QStringLiteral("Mode"),
                                   QStringLiteral("Composed")};
    for (const QString& line : DescribeImage(check.window)) {
        const QString label = line.section(QLatin1Char(':'), 0, 0);
        if (shown.contains(label))
            lines << label + QStringLiteral(": ") + line.section(QLatin1Char(':'), 1).trimmed();
    }
    lines << QStringLiteral("Port: ") + portName;
    // A file chosen by hand, or a project changed since the patch, flashes something else
    // than the project says: say so before the user confirms.
    ConfigImage project;
    if (ComposeImage(project, ws_.PargenPath).ok()) {
        const QList<FieldDifference> differences = CompareImages(project, check.window);
        if (!differences.isEmpty()) {
            lines << QString()
                  << QStringLiteral("This file does not carry the project's configuration:");
            for (const FieldDifference& d : differences)
                lines << (d.second.isEmpty()
                              ? QStringLiteral("%1: %2").arg(d.field, d.first)
                              : QStringLiteral("%1: %2 in the project, %3 in the file")
                                    .arg(d.field, d.first, d.second));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

bool FirmwareUpdate::startFlasher(int portIndex) {
    const QString newFirmware = newFirmwarePath();
    if (!readyToFlash())
        return false;
    const QString failure =
        launcher_.start(flasherPath(), FlasherParameter(newFirmware, portIndex), workingFolder_);
    if (!failure.isEmpty()) {
        prompter_.message(
            QStringLiteral("VidodIzuze.exe Not Started, Procedure Aborted. %1").arg(failure));
        return false;
    }
    return true;
}

bool FirmwareUpdate::execute(int portIndex, PatchProgress& progress) {
    if (!flasherRunnable())
        return false;
    const int result = patch(progress);
    if (result == 0)
        reportBankNotFound();
    if (result != 1)
        return false;
    return startFlasher(portIndex);
}
