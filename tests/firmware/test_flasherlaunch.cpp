#include "firmware/FirmwareCheck.h"
#include "firmware/FlasherLaunch.h"
#include "flasher/FlasherPorts.h"

#include "FirmwareTestData.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace testdata;

namespace {

struct Recorded {
    int argc = 0;
    QByteArray cwd;
    QByteArray arg;
};

std::optional<Recorded> readRecord(const QString& path) {
    const QByteArray text = readFile(path);
    const qsizetype cwdAt = text.indexOf("\ncwd=");
    const qsizetype argAt = text.indexOf("\narg=");
    if (!text.startsWith("argc=") || cwdAt < 0 || argAt < 0)
        return std::nullopt;
    return Recorded{text.mid(5, cwdAt - 5).toInt(), text.mid(cwdAt + 5, argAt - cwdAt - 5),
                    text.mid(argAt + 5)};
}

const QString kFlasher = QStringLiteral(QUENZOR_PROGRAM_DIR "/VidodIzuze.exe");

} // namespace

class TestFlasherLaunch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parameterBytes_data();
    void parameterBytes();
    void childGetsExactBytes_data();
    void childGetsExactBytes();
    void detachedStart();
    void startFailures_data();
    void startFailures();
    void portDevices_data();
    void portDevices();
    void standInFlasher_data();
    void standInFlasher();
};

void TestFlasherLaunch::parameterBytes_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("tail");
    QTest::newRow("COM1") << 0
                          << QByteArray("\"\xB6"
                                        "0");
    QTest::newRow("COM3") << 2
                          << QByteArray("\"\xB6"
                                        "2");
    QTest::newRow("COM8") << 7
                          << QByteArray("\"\xB6"
                                        "7");
}

void TestFlasherLaunch::parameterBytes() {
    QFETCH(int, index);
    QFETCH(QByteArray, tail);
    const QString path = "/projects/Plant 1/New_sx93051.sx";
    QCOMPARE(FlasherParameter(path, index), "\"/projects/Plant 1/New_sx93051.sx" + tail);
    // A relative name is given in full.
    const QByteArray relative = FlasherParameter("New_sx93051.sx", index);
    QCOMPARE(relative,
             '"' + QFile::encodeName(QDir::current().absoluteFilePath("New_sx93051.sx")) + tail);
}

void TestFlasherLaunch::childGetsExactBytes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("plain, COM3") << "New_sx93051.sx" << 2;
    QTest::newRow("blanks and shell words") << "a b; touch pwned; $(touch pwned2) `x` New.sx" << 0;
    QTest::newRow("quotes and non-ASCII") << QString::fromUtf8("Zürich \"x\" 'y' New.sx") << 7;
}

void TestFlasherLaunch::childGetsExactBytes() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QTemporaryDir dir;
    const QString firmware = dir.filePath(name);
    const QString record = dir.filePath("record");
    const QString master = dir.filePath("MASTER");
    QVERIFY(QDir(dir.path()).mkdir("MASTER"));
    qputenv("QUENZOR_ARGV_RECORD", QFile::encodeName(record));
    ProcessFlasherLauncher launcher(true);
    const QByteArray parameter = FlasherParameter(firmware, index);
    QCOMPARE(launcher.start(QStringLiteral(ARGV_RECORDER), parameter, master), QString());
    QCOMPARE(launcher.exitStatus(), 0);
    const std::optional<Recorded> got = readRecord(record);
    QVERIFY(got);
    QCOMPARE(got->argc, 2);
    QCOMPARE(got->arg, parameter);
    QCOMPARE(got->arg, '"' + QFile::encodeName(firmware) + "\"\xB6" + QByteArray::number(index));
    QCOMPARE(got->cwd, QFile::encodeName(master));
    // Nothing was run by a shell.
    QVERIFY(!QFile::exists(master + "/pwned") && !QFile::exists(master + "/pwned2"));
}

void TestFlasherLaunch::detachedStart() {
    QTemporaryDir dir;
    const QString record = dir.filePath("record");
    qputenv("QUENZOR_ARGV_RECORD", QFile::encodeName(record));
    ProcessFlasherLauncher launcher;
    const QByteArray parameter = FlasherParameter(dir.filePath("New_sx93051.sx"), 2);
    QCOMPARE(launcher.start(QStringLiteral(ARGV_RECORDER), parameter, dir.path()), QString());
    // The start does not wait for the flasher; its record appears on its own.
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(record) && !deadline.hasExpired())
        QThread::msleep(10);
    const std::optional<Recorded> got = readRecord(record);
    QVERIFY(got);
    QCOMPARE(got->arg, parameter);
}

void TestFlasherLaunch::startFailures_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("no such program") << "missing";
    QTest::newRow("not executable") << "plain file";
    QTest::newRow("no such working folder") << "folder";
}

void TestFlasherLaunch::startFailures() {
    QFETCH(QString, what);
    QTemporaryDir dir;
    QString program = QStringLiteral(ARGV_RECORDER);
    QString folder = dir.path();
    if (what == "missing")
        program = dir.filePath("VidodIzuze.exe");
    if (what == "plain file") {
        program = dir.filePath("VidodIzuze.exe");
        QVERIFY(writeFile(program, "not a program"));
    }
    if (what == "folder")
        folder = dir.filePath("gone");
    for (bool wait : {true, false}) {
        ProcessFlasherLauncher launcher(wait);
        QVERIFY(!launcher
                     .start(program,
                            "\"x\"\xB6"
                            "0",
                            folder)
                     .isEmpty());
    }
}

void TestFlasherLaunch::portDevices_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("device");
    QTest::newRow("default") << "" << 2 << "/dev/ttyS2";
    QTest::newRow("pattern") << "/dev/ttyUSB%1" << 0 << "/dev/ttyUSB0";
    QTest::newRow("list hit") << "COM1=/dev/ttyACM0, com3=/dev/ttyUSB4" << 2 << "/dev/ttyUSB4";
    QTest::newRow("list miss uses default") << "COM1=/dev/ttyACM0" << 7 << "/dev/ttyS7";
    // Two ports present: COM1 and COM2 are they, COM3 the default; a setting wins.
    QTest::newRow("present port") << "" << 1 << "/dev/ttyUSB1";
    QTest::newRow("beyond the present") << "" << 2 << "/dev/ttyS2";
    QTest::newRow("setting over present") << "/dev/ttyACM%1" << 0 << "/dev/ttyACM0";
}

void TestFlasherLaunch::portDevices() {
    QFETCH(QString, setting);
    QFETCH(int, index);
    QFETCH(QString, device);
    const QList<PresentSerialPort> present{{"/dev/ttyUSB0", "USB serial adapter"},
                                           {"/dev/ttyUSB1", ""}};
    const bool withPresent = QString(QTest::currentDataTag()).contains("present");
    QCOMPARE(
        SerialDeviceForPort(index, setting, withPresent ? present : QList<PresentSerialPort>{}),
        device);
    QCOMPARE(PortCaption(0, present),
             QString::fromUtf8("COM1 \u2014 /dev/ttyUSB0, USB serial adapter"));
    QCOMPARE(PortCaption(1, present), QString::fromUtf8("COM2 \u2014 /dev/ttyUSB1"));
    QCOMPARE(PortCaption(2, present), QString("COM3"));
}

void TestFlasherLaunch::standInFlasher_data() {
    QTest::addColumn<QString>("firmware"); // how the firmware file is made
    QTest::addColumn<QByteArray>("parameterTail");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reportLine");
    QTest::newRow("sound, COM3")
        << "sound"
        << QByteArray("\"\xB6"
                      "2")
        << 0 << "Result: ACCEPTED - would write 16416 data bytes to COM3 (/dev/null)";
    QTest::newRow("configuration reported") << "sound"
                                            << QByteArray("\"\xB6"
                                                          "0")
                                            << 0 << "  TCP port:        5130";
    QTest::newRow("no B6 byte") << "sound" << QByteArray("\"2") << 2
                                << "Result: REFUSED (status 2)";
    QTest::newRow("no port index")
        << "sound" << QByteArray("\"\xB6") << 2 << "Result: REFUSED (status 2)";
    QTest::newRow("missing file") << "none"
                                  << QByteArray("\"\xB6"
                                                "0")
                                  << 3 << "Result: REFUSED (status 3)";
    QTest::newRow("wrong checksum") << "checksum"
                                    << QByteArray("\"\xB6"
                                                  "0")
                                    << 4 << "Result: REFUSED (status 4) - nothing would be written";
    QTest::newRow("window incomplete")
        << "partial"
        << QByteArray("\"\xB6"
                      "0")
        << 5 << "Bank 1 window 388000-38BFFF: 16352 of 16384 bytes loaded";
    QTest::newRow("no S9") << "unterminated"
                           << QByteArray("\"\xB6"
                                         "0")
                           << 6 << "No termination record (S7, S8 or S9).";
}

void TestFlasherLaunch::standInFlasher() {
    QFETCH(QString, firmware);
    QFETCH(QByteArray, parameterTail);
    QFETCH(int, status);
    QFETCH(QString, reportLine);
    if (!QFileInfo(kFlasher).isExecutable())
        QSKIP("the stand-in flasher is not built");
    QTemporaryDir dir;
    const QString path = dir.filePath("New sx93051.sx");
    QByteArray image = bankImage();
    image[15012] = 0x0A; // TCP port 5130
    image[15013] = 0x14;
    QByteArrayList lines{record('0', 0, "x"), s2(0x1000)};
    lines += bankRecords(image);
    lines << "S9030000FC";
    if (firmware == "checksum")
        lines[1][lines[1].size() - 1] = lines[1].endsWith('0') ? '1' : '0';
    if (firmware == "partial")
        lines.removeAt(100);
    if (firmware == "unterminated")
        lines.removeLast();
    if (firmware != "none")
        QVERIFY(writeFile(path, crlfText(lines)));
    const QString log = dir.filePath("flasher.log");
    qputenv("QUENZOR_FLASHER_LOG", QFile::encodeName(log));
    qputenv("QUENZOR_FLASHER_PORTS", "COM3=/dev/null");
    ProcessFlasherLauncher launcher(true);
    const QString failure =
        launcher.start(kFlasher, '"' + QFile::encodeName(path) + parameterTail, dir.path());
    qunsetenv("QUENZOR_FLASHER_LOG");
    qunsetenv("QUENZOR_FLASHER_PORTS");
    QCOMPARE(failure, QString());
    QCOMPARE(launcher.exitStatus(), status);
    const QStringList report = QString::fromUtf8(readFile(log)).split('\n');
    QVERIFY2(report.contains(reportLine), qPrintable(report.join('\n')));
}

QTEST_GUILESS_MAIN(TestFlasherLaunch)
#include "test_flasherlaunch.moc"
