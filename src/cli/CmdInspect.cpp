// quenzor-cli inspect: what a bank1.bin or a firmware file will configure in the device.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include "common/PrintableText.h"
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
    "Exit status: 0 sound, 1 unreadable file, faulty record, incomplete window or no end\n"
    "record (S7, S8 or S9), 2 usage.";

QString hex6(std::uint32_t v) {
    return QString::number(v, 16).toUpper().rightJustified(6, QLatin1Char('0'));
}

void printImage(const ConfigImage& image) {
    for (const QString& line : DescribeImage(image))
        CliOut(line);
}

} // namespace

int RunInspectCommand(const QStringList& args) {
    CommandLine line(kUsage);
    if (const auto status = line.parse(args, 1, 1))
        return *status;
    const QString path = line.positional().first();
    const QString shownPath = PrintableText(QDir::toNativeSeparators(path));
    if (!LooksLikeSRecordFile(path)) {
        ConfigImage image;
        const QString failure = ReadBankFile(path, image);
        if (!failure.isEmpty()) {
            CliErr(PrintableText(failure));
            return 1;
        }
        CliOut(QStringLiteral("Bank file: ") + shownPath);
        printImage(image);
        return 0;
    }

    const FirmwareCheck check = CheckFirmwareFile(path, 1);
    if (!check.readError.isEmpty()) {
        CliErr(PrintableText(check.readError));
        return 1;
    }
    CliOut(QStringLiteral("Firmware: ") + shownPath);
    CliOut(QStringLiteral("Records:  %1 lines, %2 data records, %3 data bytes")
               .arg(QString::number(check.lines), QString::number(check.dataRecords),
                    QString::number(check.dataBytes)));
    for (const QString& fault : check.faultTexts)
        CliErr(PrintableText(fault));
    if (check.faults > check.faultTexts.size())
        CliErr(QStringLiteral("... %1 faults in all").arg(check.faults));
    CliOut(check.faults == 0 ? QStringLiteral("Checksums: all valid")
                             : QStringLiteral("Faulty records: %1").arg(check.faults));
    CliOut(QStringLiteral("Bank 1 window %1-%2: %3 of %4 bytes loaded")
               .arg(hex6(BankWindowStart(1)), hex6(BankWindowEnd(1)),
                    QString::number(check.windowBytes), QString::number(kBankWindowSize)));
    if (check.windowBytes > 0)
        printImage(check.window);
    if (!check.windowComplete())
        CliErr(QStringLiteral("Bank 1 window incomplete: %1 of %2 bytes loaded")
                   .arg(QString::number(check.windowBytes), QString::number(kBankWindowSize)));
    // The flasher refuses a firmware without an end record, so it is not sound here either.
    if (!check.terminated())
        CliErr(QStringLiteral("No termination record (S7, S8 or S9)."));
    return check.flashable() ? 0 : 1;
}
