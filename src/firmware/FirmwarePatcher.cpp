#include "firmware/FirmwarePatcher.h"

#include "common/FileIO.h"
#include "firmware/BankWindow.h"
#include "firmware/LineReader.h"
#include "firmware/SRecord.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

namespace {

const QString kInputMissing = QStringLiteral("File *.Sx Not Found,Abort Procedure");
const QString kOutputNameEmpty = QStringLiteral("File New *.Sx Not Found,Abort Procedure");
const QString kBinFolderMissing = QStringLiteral("Directory Bin Not Found,Abort Procedure");
const QString kMergeFailed = QStringLiteral("File New Sx Not Create,Abort Procedure");

QString bankSizeMessage(int bank) {
    return QStringLiteral("File %1 is not %2 bytes long,Abort Procedure")
        .arg(BankFileName(bank))
        .arg(kBankWindowSize);
}

// Output in large blocks: the firmware can be tens of megabytes. Each megabyte written is
// handed to the disk at once, so the sync of the commit waits only for the last blocks
// instead of the whole file; the commit's sync stays what makes the file durable.
class BlockWriter {
public:
    // A small output gets a buffer of its own size: a whole block would be mapped and touched
    // for nothing.
    BlockWriter(QSaveFile& file, qint64 expected)
        : file_(file), block_(qsizetype(std::clamp<qint64>(expected, 4096, kBlock))),
          buffer_(block_, Qt::Uninitialized) {}
    bool writeLine(QByteArrayView line) {
        if (used_ + line.size() + 2 > block_ && !flush())
            return false;
        if (line.size() + 2 > block_)
            return put(line.data(), line.size()) && put("\r\n", 2);
        char* at = buffer_.data() + used_;
        std::memcpy(at, line.data(), size_t(line.size()));
        at[line.size()] = '\r';
        at[line.size() + 1] = '\n';
        used_ += line.size() + 2;
        return true;
    }
    bool flush() {
        if (used_ > 0 && !put(buffer_.constData(), used_))
            return false;
        used_ = 0;
        return true;
    }

private:
    static constexpr qsizetype kBlock = 1 << 18;
    static constexpr qint64 kWritebackStep = 1 << 20;

    bool put(const char* data, qint64 size) {
        if (file_.write(data, size) != size)
            return false;
        written_ += size;
#ifdef Q_OS_LINUX
        // Advice only: where it is not supported the commit's sync does all the work. Whole
        // 64 KiB steps, so the page the next write continues is not already on its way.
        const qint64 whole = written_ & ~qint64(0xFFFF);
        if (whole - handedOver_ >= kWritebackStep) {
            ::sync_file_range(file_.handle(), handedOver_, whole - handedOver_,
                              SYNC_FILE_RANGE_WRITE);
            handedOver_ = whole;
        }
#endif
        return true;
    }

    QSaveFile& file_;
    qsizetype block_;
    QByteArray buffer_;
    qsizetype used_ = 0;
    qint64 written_ = 0;
    qint64 handedOver_ = 0; // bytes already handed to the disk
};

// Address digits at characters 5 to 4 + digits; false when the line is too short for them
// or one is not hexadecimal.
bool recordAddress(QByteArrayView line, int digits, std::uint32_t& address) {
    if (line.size() < 4 + digits)
        return false;
    address = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = HexDigitValue(line[4 + i]);
        if (d < 0)
            return false;
        address = address * 16 + unsigned(d);
    }
    return true;
}

// The 512 records of the bank file as one block, kBankRecordChars characters each, without
// line ends. nullopt after showing the failure.
std::optional<QByteArray> bankRecords(int bank, const QString& bankPath, Prompter& prompter) {
    QFile bankFile(bankPath);
    if (!bankFile.open(QIODevice::ReadOnly)) {
        prompter.errorReport(CannotOpenMessage(bankPath, bankFile.errorString()));
        return std::nullopt;
    }
    const QByteArray image = bankFile.read(kBankWindowSize + 1);
    // A short or long bank file is not the image the composer wrote; never pad or cut it.
    if (image.size() != qsizetype(kBankWindowSize)) {
        prompter.message(bankSizeMessage(bank));
        return std::nullopt;
    }
    QByteArray records(qsizetype(kBankRecordCount) * kBankRecordChars, Qt::Uninitialized);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.constData());
    std::uint32_t address = BankWindowStart(bank);
    for (int i = 0; i < kBankRecordCount; ++i, address += kBankRecordBytes)
        WriteBankRecord(records.data() + qsizetype(i) * kBankRecordChars, address,
                        bytes + i * kBankRecordBytes);
    return records;
}

struct MergeOutcome {
    bool ok = false;
    int result = -1;
};

MergeOutcome merge(int bank, bool askWhenMissing, LineReader& reader, BlockWriter& out,
                   const QByteArray& records, qint64& position, PatchProgress& progress,
                   Prompter& prompter) {
    const std::uint32_t first = BankWindowStart(bank);
    const std::uint32_t last = BankWindowEnd(bank);
    bool placed = false;
    int result = -1;
    const auto place = [&]() {
        for (qsizetype at = 0; at < records.size(); at += kBankRecordChars) {
            if (!out.writeLine(QByteArrayView(records.constData() + at, kBankRecordChars)))
                return false;
            progress.setPosition(++position);
        }
        placed = true;
        return true;
    };

    QByteArrayView line;
    for (;;) {
        const LineReader::Status status = reader.next(line);
        if (status == LineReader::Status::End)
            break;
        if (status == LineReader::Status::Error)
            return {};
        progress.setPosition(++position);
        if (line.isEmpty())
            return {};
        const char type = line.size() >= 2 && line[0] == 'S' ? line[1] : '\0';
        const bool s1 = type == '1';
        const bool s2 = type == '2';
        if (s1 || s2) {
            std::uint32_t address = 0;
            if (!recordAddress(line, s2 ? 6 : 4, address))
                return {};
            if (address >= first && address <= last) {
                if (!placed && !place())
                    return {};
                continue; // every record of the window gives way to the bank records
            }
        } else if (type == '9') {
            if (!placed && askWhenMissing &&
                prompter.question(QStringLiteral("Alert"),
                                  QStringLiteral("Bank Not Found.To insert Equally?")) &&
                !place())
                return {};
            result = placed ? 1 : 0;
        }
        if (!out.writeLine(line))
            return {};
    }
    if (!out.flush())
        return {};
    return {true, result};
}

} // namespace

int PatchFirmwareBank(int bank, bool askWhenMissing, const QString& inputFile,
                      const QString& outputName, const QString& binFolder,
                      const QString& outputFolder, PatchProgress& progress, Prompter& prompter,
                      PatchOutput keep) {
    progress.setPosition(0);
    if (!QFileInfo(inputFile).isFile()) {
        prompter.message(kInputMissing);
        return -1;
    }
    if (outputName.isEmpty()) {
        prompter.message(kOutputNameEmpty);
        return -1;
    }
    if (!QFileInfo(binFolder).isDir()) {
        prompter.message(kBinFolderMissing);
        return -1;
    }
    if (!IsValidBank(bank) || !QFileInfo(JoinPath(binFolder, BankFileName(bank))).isFile()) {
        prompter.message(BankMissingMessage(bank));
        return -1;
    }

    // The bank records are kept in memory rather than in a temporary "Bin.sx"; one left in
    // the bin folder by an earlier version goes whatever happens below.
    struct RemoveOnExit {
        QString path;
        ~RemoveOnExit() { QFile::remove(path); }
    } removeRecords{JoinPath(binFolder, QString::fromLatin1(kBankRecordsFileName))};

    const std::optional<QByteArray> records =
        bankRecords(bank, JoinPath(binFolder, BankFileName(bank)), prompter);
    if (!records)
        return -1;
    qint64 counter = kBankRecordCount;

    QFile input(inputFile);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        prompter.errorReport(CannotOpenMessage(inputFile, input.errorString()));
        return -1;
    }
    const QString outputPath = JoinPath(outputFolder, outputName);
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        prompter.errorReport(CannotCreateMessage(outputPath, output.errorString()));
        return -1;
    }

    LineReader reader(input);
    const qint64 inputLines = reader.countLines();
    MergeOutcome outcome;
    qint64 position = 0;
    if (inputLines >= 0) {
        counter += inputLines;
        progress.setMaximum(counter);
        // The input's lines with CR LF ends, and the bank's records.
        BlockWriter writer(output, input.size() + inputLines +
                                       qint64(kBankRecordCount) * (kBankRecordChars + 2));
        outcome =
            merge(bank, askWhenMissing, reader, writer, *records, position, progress, prompter);
    }
    if (outcome.ok && keep == PatchOutput::OnlyWhenPlaced && outcome.result != 1) {
        output.cancelWriting();
        progress.setPosition(counter);
        return outcome.result;
    }
    if (outcome.ok && !output.commit())
        outcome = {};
    progress.setPosition(counter);
    if (!outcome.ok) {
        output.cancelWriting();
        prompter.message(kMergeFailed);
        return -1;
    }
    return outcome.result;
}
