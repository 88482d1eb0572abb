// quenzor-cli inspect: what a bank1.bin or a firmware file will configure in the device.
#include "cli/Commands.h"

#include "firmware/BankWindow.h"
#include "firmware/FirmwareCheck.h"
#include "image/ImageDescription.h"

#include <QDir>

namespace {

const char kUsage[] =
    "usage: quenzor-cli inspect FILE\n\n"
    "FILE is a bank file (bank1.bin, 16384 bytes) or an S-record firmware. For a firmware,\n"
    "every record is checked and the bank-1 window (388000-38BFFF) is read out. Prints the\n"
    "parameters the image holds: addresses, port, community names, baud rate, parity,\n"
    "time-out, offset, mode and the time and date of composition.\n"
    "Exit status: 0 sound, 1 unreadable file, faulty record or incomplete window, 2 usage.";

QString hex6(std::uint32_t v) {
    return QString::number(v, 16).toUpper().rightJustified(6, QLatin1Char('0'));
}

void printImage(const ConfigImage& image) {
    for (const QString& line : DescribeImage(image))
        CliOut(line);
}

} // namespace

int RunInspectCommand(const QStringList& args) {
    if (const auto status = CheckOneArgument(args, kUsage))
        return *status;
    const QString path = args.first();
    if (!LooksLikeSRecordFile(path)) {
        ConfigImage image;
        const QString failure = ReadBankFile(path, image);
        if (!failure.isEmpty()) {
            CliErr(failure);
            return 1;
        }
        CliOut(QStringLiteral("Bank file: ") + QDir::toNativeSeparators(path));
        printImage(image);
        return 0;
    }

    const FirmwareCheck check = CheckFirmwareFile(path, 1);
    if (!check.readError.isEmpty()) {
        CliErr(check.readError);
        return 1;
    }
    CliOut(QStringLiteral("Firmware: ") + QDir::toNativeSeparators(path));
    CliOut(QStringLiteral("Records:  %1 lines, %2 data records, %3 data bytes")
               .arg(check.lines)
               .arg(check.dataRecords)
               .arg(check.dataBytes));
    for (const QString& fault : check.faultTexts)
        CliErr(fault);
    if (check.faults > check.faultTexts.size())
        CliErr(QStringLiteral("... %1 faults in all").arg(check.faults));
    CliOut(check.faults == 0 ? QStringLiteral("Checksums: all valid")
                             : QStringLiteral("Faulty records: %1").arg(check.faults));
    CliOut(QStringLiteral("Bank 1 window %1-%2: %3 of %4 bytes loaded")
               .arg(hex6(BankWindowStart(1)), hex6(BankWindowEnd(1)))
               .arg(check.windowBytes)
               .arg(kBankWindowSize));
    if (check.windowBytes > 0)
        printImage(check.window);
    if (!check.windowComplete())
        CliErr(QStringLiteral("Bank 1 window incomplete: %1 of %2 bytes loaded")
                   .arg(check.windowBytes)
                   .arg(kBankWindowSize));
    return check.sound() && check.windowComplete() ? 0 : 1;
}
