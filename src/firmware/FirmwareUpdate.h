// The firmware step of a device update without windows: find the base firmware, patch the
// project's bank 1 into a new firmware file and start the flasher on it. The firmware dialog
// and the terminal companion drive the same object, so both behave alike.
#pragma once

#include "common/Prompter.h"
#include "firmware/FirmwarePatcher.h"
#include "firmware/FlasherLaunch.h"
#include "project/Workspace.h"

#include <QString>

#include <optional>

class FirmwareUpdate {
public:
    // `workspace` is read at each step, so a project opened later is seen.
    FirmwareUpdate(const Workspace& workspace, Prompter& prompter, FlasherLauncher& launcher);

    // Run on every opening: takes the project's bin folder when it has one (otherwise the
    // earlier one stays), finds the base firmware in MASTER and names the new file. True
    // when an update can be started; otherwise the reason has been shown.
    bool prepare();

    // Patches bank 1 into the new firmware file and removes the per-bank intermediate names.
    // Returns the patcher's result; a result of -1 is always explained to the user. The new
    // firmware file is written only when the bank was placed (result 1): a file left by an
    // earlier update is never replaced by one without the configuration or an end record.
    // A base firmware the flasher would refuse (a damaged record, a wrong checksum) is refused
    // here, before anything is written.
    int patch(PatchProgress& progress);

    // Starts the flasher on the new firmware and the port with the zero-based `portIndex`,
    // but only when the last patch since prepare() placed the bank (result 1): a stale,
    // partial or unpatched file is never flashed. True when the flasher was started.
    bool startFlasher(int portIndex);
    // The checks of startFlasher alone: true when the new firmware may be flashed now;
    // otherwise the reason has been shown.
    bool readyToFlash();
    // What the new firmware will configure, decoded from its own bank window as `inspect`
    // decodes it, for the user to confirm before the flasher starts.
    Result<QString> flashSummary(const QString& portName) const;
    // The flasher is there and may be run; otherwise the reason has been shown.
    bool flasherRunnable();

    // "Execute update firmware": the patch, then the flasher when the bank was placed. A flasher
    // that is missing or cannot be run is found before the patch, so nothing is replaced for
    // an update that cannot run.
    bool execute(int portIndex, PatchProgress& progress);

    // The plain message after a patch that found no record of the bank-1 window.
    void reportBankNotFound();
    // Deletes the names of the intermediate per-bank files from the output folder.
    void removePerBankFiles();

    // A base firmware chosen by the user instead of MASTER's.
    void chooseFirmware(const QString& path);
    void setBinFolder(const QString& folder);
    void setNewFileName(const QString& name) { newFileName_ = name; }

    QString firmwareName() const { return firmwareName_; }
    QString firmwarePath() const { return firmwarePath_; }
    QString binFolder() const { return binFolder_; }
    QString newFileName() const { return newFileName_; }
    QString outputFolder() const { return outputFolder_; }
    QString newFirmwarePath() const;
    QString flasherPath() const;
    // The folder the flasher starts in (MASTER).
    QString workingFolder() const { return workingFolder_; }
    std::optional<int> lastPatchResult() const { return lastPatch_; }

private:
    const Workspace& ws_;
    Prompter& prompter_;
    FlasherLauncher& launcher_;
    QString firmwareName_;
    QString firmwarePath_;
    QString binFolder_; // kept from one opening to the next
    QString newFileName_;
    QString outputFolder_;
    QString workingFolder_;
    std::optional<int> lastPatch_;
};

// A folder path ending in the platform's separator (or one it already ends with).
QString WithTrailingSeparator(const QString& folder);
