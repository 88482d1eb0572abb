// VidodIzuze.exe stand-in: takes the flasher's one parameter ("<firmware>"¶<port index>),
// checks the firmware as the real flasher must before writing a device (every record's
// checksum, the bank-1 window complete, a termination record) and reports what it would write
// to which port. It writes nothing to any device.
#include "common/FileIO.h"
#include "firmware/BankWindow.h"
#include "firmware/FirmwareCheck.h"
#include "flasher/FlasherPorts.h"
#include "image/ImageDescription.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

// Exit statuses, so that scripts can tell the failures apart.
enum Status {
    Accepted = 0,
    BadParameter = 2,
    Unreadable = 3,
    Faulty = 4,
    WindowIncomplete = 5,
    NotTerminated = 6,
};

struct Parameter {
    QString firmware;
    int portIndex = -1;
};

// '"' path '"' 0xB6 digits, nothing else. Read from the end, so a path may hold quotes.
bool parseParameter(const QByteArray& raw, Parameter& out) {
    const qsizetype mark = raw.lastIndexOf(char(0xB6));
    if (raw.size() < 4 || raw[0] != '"' || mark < 3 || raw[mark - 1] != '"')
        return false;
    const QByteArray digits = raw.mid(mark + 1);
    if (digits.isEmpty() || digits.size() > 3)
        return false;
    int index = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        index = index * 10 + (c - '0');
    }
    out.firmware = QFile::decodeName(raw.mid(1, mark - 2));
    out.portIndex = index;
    return true;
}

QString hex6(std::uint32_t v) {
    return QString::number(v, 16).toUpper().rightJustified(6, QLatin1Char('0'));
}

bool installed() {
    return QFileInfo(QDir(QCoreApplication::applicationDirPath())
                         .filePath(QStringLiteral(QUENZOR_LIBEXEC_TO_DATA)))
        .isDir();
}

class Report {
public:
    void line(const QString& text) {
        text_ += text + QLatin1Char('\n');
        std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stdout);
    }
    // Kept beside the flasher (or where QUENZOR_FLASHER_LOG says), so a run started from the
    // window, which shows no console, can be read afterwards. An installed flasher's folder is
    // shared: its log goes to the folder it runs in, the user's MASTER.
    void save() const {
        QString path = qEnvironmentVariable("QUENZOR_FLASHER_LOG");
        if (path.isEmpty())
            path =
                JoinPath(installed() ? QDir::currentPath() : QCoreApplication::applicationDirPath(),
                         QStringLiteral("VidodIzuze.log"));
        if (Result<> saved = WriteFileAtomically(path, text_.toUtf8()); !saved)
            std::fprintf(stderr, "%s\n", saved.error().toLocal8Bit().constData());
    }

private:
    QString text_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Report report;
    report.line(
        QStringLiteral("VidodIzuze stand-in flasher: checks the firmware, writes no device."));

    Parameter param;
    if (argc != 2 || !parseParameter(QByteArray(argv[1]), param)) {
        report.line(QStringLiteral("Parameter not valid: expected exactly one argument made of "
                                   "\"<firmware path>\", the byte B6 and the port index."));
        report.line(QStringLiteral("Result: REFUSED (status %1)").arg(BadParameter));
        report.save();
        return BadParameter;
    }
    const QString com = QStringLiteral("COM%1").arg(param.portIndex + 1);
    const QString device = SerialDeviceForPort(
        param.portIndex, qEnvironmentVariable("QUENZOR_FLASHER_PORTS"), PresentSerialPorts());
    report.line(QStringLiteral("Firmware: ") + QDir::toNativeSeparators(param.firmware));
    report.line(QStringLiteral("Port:     %1 -> %2 (%3)")
                    .arg(com, device,
                         QFileInfo::exists(device)
                             ? QStringLiteral("present")
                             : QStringLiteral("not present on this machine")));

    const FirmwareCheck check = CheckFirmwareFile(param.firmware, 1);
    if (!check.readError.isEmpty()) {
        report.line(check.readError);
        report.line(QStringLiteral("Result: REFUSED (status %1)").arg(Unreadable));
        report.save();
        return Unreadable;
    }
    report.line(QStringLiteral("Records:  %1 lines, %2 data records, %3 data bytes")
                    .arg(check.lines)
                    .arg(check.dataRecords)
                    .arg(check.dataBytes));
    Status status = Accepted;
    if (check.faults > 0) {
        report.line(QStringLiteral("Faulty records: %1").arg(check.faults));
        for (const QString& fault : check.faultTexts)
            report.line(QStringLiteral("  ") + fault);
        status = Faulty;
    } else {
        report.line(QStringLiteral("Checksums: all valid"));
    }
    report.line(QStringLiteral("Bank 1 window %1-%2: %3 of %4 bytes loaded")
                    .arg(hex6(BankWindowStart(1)), hex6(BankWindowEnd(1)))
                    .arg(check.windowBytes)
                    .arg(kBankWindowSize));
    if (status == Accepted && !check.windowComplete())
        status = WindowIncomplete;
    if (status == Accepted && check.terminations == 0) {
        report.line(QStringLiteral("No termination record (S7, S8 or S9)."));
        status = NotTerminated;
    }
    if (check.windowComplete()) {
        report.line(QStringLiteral("Configuration in bank 1:"));
        for (const QString& l : DescribeImage(check.window))
            report.line(QStringLiteral("  ") + l);
    }
    if (status == Accepted)
        report.line(QStringLiteral("Result: ACCEPTED - would write %1 data bytes to %2 (%3)")
                        .arg(check.dataBytes)
                        .arg(com, device));
    else
        report.line(
            QStringLiteral("Result: REFUSED (status %1) - nothing would be written").arg(status));
    report.save();
    return status;
}
