#include "firmware/FirmwareCheck.h"

#include "common/FileIO.h"
#include "firmware/BankWindow.h"
#include "firmware/LineReader.h"
#include "firmware/SRecord.h"

#include <QDir>
#include <QFile>

namespace {
constexpr int kFaultTextsKept = 20;

QString hexByteText(unsigned value) {
    return QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}
} // namespace

FirmwareCheck CheckFirmwareFile(const QString& path, int bank) {
    FirmwareCheck check;
    if (const QString refused = CheckRegularFile(path); !refused.isEmpty()) {
        check.readError = refused;
        return check;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        check.readError = CannotOpenMessage(path, file.errorString());
        return check;
    }
    const std::uint32_t first = BankWindowStart(bank);
    std::vector<bool> loaded(kImageSize, false);
    // Only the first texts are kept, and a damaged file can have a fault on every line: a
    // text is made only when it is kept.
    const auto keepingTexts = [&check] { return check.faultTexts.size() < kFaultTextsKept; };
    const auto fault = [&check, &keepingTexts](auto&& text) {
        ++check.faults;
        if (keepingTexts())
            check.faultTexts << QStringLiteral("line %1: %2").arg(check.lines).arg(text());
    };

    LineReader reader(file);
    QByteArrayView line;
    for (;;) {
        const LineReader::Status status = reader.next(line);
        if (status == LineReader::Status::End)
            break;
        if (status == LineReader::Status::Error) {
            check.readError = CannotOpenMessage(path, reader.errorString());
            break;
        }
        ++check.lines;
        if (line.isEmpty())
            ++check.blankLines;
        QString why;
        const std::optional<SRecord> rec = ParseSRecord(line, keepingTexts() ? &why : nullptr);
        if (!rec) {
            fault([&why] { return why; });
            continue;
        }
        ++check.records;
        if (!rec->checksumOk) {
            fault([&rec] {
                return QStringLiteral("checksum %1, expected %2")
                    .arg(hexByteText(rec->checksum), hexByteText(rec->expectedChecksum));
            });
            continue;
        }
        if (rec->type == '7' || rec->type == '8' || rec->type == '9')
            ++check.terminations;
        if (!rec->isData())
            continue;
        ++check.dataRecords;
        check.dataBytes += rec->dataSize;
        for (int i = 0; i < rec->dataSize; ++i) {
            const std::uint64_t address = std::uint64_t(rec->address) + std::uint64_t(i);
            if (address < first || address >= std::uint64_t(first) + kBankWindowSize)
                continue;
            const std::size_t at = std::size_t(address - first);
            if (loaded[at]) {
                fault([address] {
                    return QStringLiteral("address %1 loaded twice")
                        .arg(QString::number(address, 16).toUpper());
                });
                continue;
            }
            loaded[at] = true;
            ++check.windowBytes;
            check.window.setByte(at, rec->bytes[std::size_t(i)]);
        }
    }
    return check;
}

QString ReadBankFile(const QString& path, ConfigImage& image) {
    if (const QString refused = CheckRegularFile(path); !refused.isEmpty())
        return refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CannotOpenMessage(path, file.errorString());
    const QByteArray bytes = file.read(kImageSize + 1);
    if (!ConfigImage::fromByteArray(bytes, image))
        return QStringLiteral("File \"%1\" is not a bank file: %2 bytes, not %3")
            .arg(QDir::toNativeSeparators(path), QString::number(file.size()),
                 QString::number(kImageSize));
    return {};
}

bool LooksLikeSRecordFile(const QString& path) {
    // Never opened unless regular: opening a FIFO would wait for a writer.
    if (!CheckRegularFile(path).isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(2);
    return head.size() == 2 && head[0] == 'S' && head[1] >= '0' && head[1] <= '9';
}
