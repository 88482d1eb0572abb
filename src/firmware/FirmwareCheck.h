// Reads a whole S-record firmware strictly, record by record in bounded memory: every record
// must be well formed with a correct checksum, and the bank window is collected so that its
// completeness and contents can be judged before anything is flashed.
#pragma once

#include "image/ConfigImage.h"

#include <QString>
#include <QStringList>

#include <vector>

struct FirmwareCheck {
    QString readError; // the file could not be opened or read
    qint64 lines = 0;
    qint64 records = 0;     // well-formed records
    qint64 dataRecords = 0; // S1, S2 and S3
    qint64 dataBytes = 0;
    qint64 faults = 0;       // malformed lines, wrong checksums, bytes loaded twice
    qint64 blankLines = 0;   // of the faults, empty lines
    QStringList faultTexts;  // the first few, "line N: ..."
    qint64 terminations = 0; // S7, S8 and S9 records
    ConfigImage window;      // the bank window's bytes (zero where not loaded)
    qint64 windowBytes = 0;  // bytes of the window loaded

    bool windowComplete() const { return windowBytes == qint64(kImageSize); }
    bool sound() const { return readError.isEmpty() && faults == 0; }
    bool terminated() const { return terminations > 0; }
    // What a flasher may write to a device: sound, the window whole, and an end record.
    bool flashable() const { return sound() && windowComplete() && terminated(); }
};

// `bank` selects the window (1 for the configuration image).
FirmwareCheck CheckFirmwareFile(const QString& path, int bank);

// Reads a raw bank file (exactly 16384 bytes). Empty on success, otherwise the reason.
// Anything but a regular file is refused before it is opened.
QString ReadBankFile(const QString& path, ConfigImage& image);

// A file that starts with an S-record type is treated as firmware, anything else as a bank file.
bool LooksLikeSRecordFile(const QString& path);
