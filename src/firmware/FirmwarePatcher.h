// Merges a bank file into a base S-record firmware: the records that load the bank's address
// window are replaced by 512 records built from the bank file; every other line is copied
// unchanged and in its place.
#pragma once

#include "common/Prompter.h"

#include <QString>

// The progress the patcher reports: the maximum is 512 plus the base file's line count.
class PatchProgress {
public:
    virtual ~PatchProgress() = default;
    virtual void setMaximum(qint64 maximum) = 0;
    virtual void setPosition(qint64 position) = 0;
};

class NoPatchProgress : public PatchProgress {
public:
    void setMaximum(qint64) override {}
    void setPosition(qint64) override {}
};

// The name of the temporary file of bank records that earlier versions left in the bin
// folder; the patcher removes it.
inline constexpr char kBankRecordsFileName[] = "Bin.sx";

// Returns 1 when an "S9" record was met after the bank records were placed, 0 when one was
// met before they were (the base firmware has no record in the window), and -1 when none
// was met or the patch failed. Every failure is shown through `prompter`, and then the
// result is -1 and no output file is written (a file of that name from before is left as
// it was): only a result of 1 means `outputFolder`/`outputName` now holds the new firmware.
// `askWhenMissing` asks, at an "S9" record with the bank not yet placed, whether to insert
// the bank records there.
//
// What a merge that ran to its end leaves: the output whatever the result (the patch command),
// or only a firmware that carries the bank and an end record (the update road, where an
// earlier good file must never be replaced by one without the configuration).
enum class PatchOutput { Merged, OnlyWhenPlaced };
int PatchFirmwareBank(int bank, bool askWhenMissing, const QString& inputFile,
                      const QString& outputName, const QString& binFolder,
                      const QString& outputFolder, PatchProgress& progress, Prompter& prompter,
                      PatchOutput keep = PatchOutput::Merged);
