#include "CliRun.h"
#include "FirmwareTestData.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace testdata;

namespace {

const QString kProgramDir = QStringLiteral(QUENZOR_PROGRAM_DIR);

const QByteArray kPargen =
    "<General_Parameter><TCP_IP1>10</TCP_IP1><TCP_IP2>0</TCP_IP2><TCP_IP3>0</TCP_IP3>"
    "<TCP_IP4>7</TCP_IP4><TCP_SUB1>255</TCP_SUB1><TCP_SUB2>255</TCP_SUB2><TCP_SUB3>0</TCP_SUB3>"
    "<TCP_SUB4>0</TCP_SUB4><TCP_GAT1>10</TCP_GAT1><TCP_GAT2>0</TCP_GAT2><TCP_GAT3>0</TCP_GAT3>"
    "<TCP_GAT4>1</TCP_GAT4><TCP_PORT>1502</TCP_PORT><SNMP_PUBLIC>gate&amp;way</SNMP_PUBLIC>"
    "<SNMP_PRIVATE></SNMP_PRIVATE><BAUD>7</BAUD><PARITY>3</PARITY>"
    "<TIME_OUT>250</TIME_OUT><OFFSET>40001</OFFSET><MODE>0</MODE></General_Parameter>";

using Run = CliRun;

Run cli(const QStringList& args, const QProcessEnvironment& extra = {}) {
    return runCli(args, extra);
}

QString lastLine(const QString& text) {
    return text.trimmed().split('\n').last();
}

// A project with pargen.xml and its bin folder.
struct Project {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString bin() const { return dir.filePath("bin"); }
    explicit Project(const QByteArray& pargen = kPargen) {
        QDir(dir.path()).mkdir("bin");
        writeFile(dir.filePath("pargen.xml"), pargen);
    }
};

const QStringList kParameters = {
    "IP address:      10.0.0.7",
    "Subnet mask:     255.255.0.0",
    "Default gateway: 10.0.0.1",
    "TCP port:        1502",
    "SNMP public:     \"gate&way\"",
    "SNMP private:    \"\"",
    "Baud rate:       115200 (code 7)",
    "Parity:          ODD (code 3)",
    "Time-out:        250 ms",
    "Offset:          40001",
    "Mode:            Routing Mode (code 0)",
    "Composed:        14:35:26 on 08/12/26 (dd/mm/yy; time word 0x6C6E, date word 0x461A)",
    "Other bytes:     all zero",
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void help_data();
    void help();
    void composeWritesBoth();
    void composeFailureWritesNothing_data();
    void composeFailureWritesNothing();
    void patchResults_data();
    void patchResults();
    void inspectFirmware_data();
    void inspectFirmware();
    void update_data();
    void update();
};

void TestCli::initTestCase() {
    if (!QFileInfo(kProgramDir + "/quenzor-cli").isExecutable())
        QSKIP("quenzor-cli is not built");
}

void TestCli::help_data() {
    QTest::addColumn<QString>("command");
    for (const char* c : {"compose", "patch", "update", "inspect"})
        QTest::newRow(c) << c;
}

void TestCli::help() {
    QFETCH(QString, command);
    const Run r = cli({command, "--help"});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.startsWith("usage: quenzor-cli " + command), qPrintable(r.out));
    QCOMPARE(cli({command, "--no-such-option", "x"}).status, 2);
}

void TestCli::composeWritesBoth() {
    Project p;
    const Run r = cli({"compose", p.path()});
    QCOMPARE(r.status, 0);
    QCOMPARE(readFile(p.bin() + "/bank1.bin").size(), 16384);
    QCOMPARE(readFile(p.bin() + "/bankg.c").count("\r\n"), 1027);
    const Run shown = cli({"inspect", p.bin() + "/bank1.bin"});
    QCOMPARE(shown.status, 0);
    for (const QString& line : kParameters)
        QVERIFY2(shown.out.contains(line + "\n"), qPrintable(line + "\n---\n" + shown.out));
}

void TestCli::composeFailureWritesNothing_data() {
    QTest::addColumn<QByteArray>("pargen");
    QTest::addColumn<QString>("element");
    QTest::newRow("TIME_OUT not an integer")
        << QByteArray(kPargen).replace("<TIME_OUT>250<", "<TIME_OUT>1 s<") << "\"TIME_OUT\"";
    QTest::newRow("MODE missing") << QByteArray(kPargen).replace("<MODE>0</MODE>", "")
                                  << "\"MODE\"";
    QTest::newRow("not well-formed") << QByteArray("<General_Parameter>") << "";
}

void TestCli::composeFailureWritesNothing() {
    QFETCH(QByteArray, pargen);
    QFETCH(QString, element);
    Project p(pargen);
    const Run r = cli({"compose", p.path()});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(QDir::toNativeSeparators(p.dir.filePath("pargen.xml"))),
             qPrintable(r.err));
    QVERIFY2(r.err.contains(element), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(QDir(p.bin()).isEmpty());
}

void TestCli::patchResults_data() {
    QTest::addColumn<QByteArrayList>("base");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QByteArray s9 = "S9030000FC";
    QTest::newRow("placed") << QByteArrayList{s2(0x388000), s9} << QStringList() << "1" << 0 << "";
    QTest::newRow("no window") << QByteArrayList{s2(0x1000), s9} << QStringList() << "0" << 3 << "";
    QTest::newRow("no S9") << QByteArrayList{s2(0x388000)} << QStringList() << "-1" << 3 << "";
    QTest::newRow("bank 2 missing")
        << QByteArrayList{s2(0x398000), s9} << QStringList{"--bank", "2"} << "-1" << 1
        << "File bank2.bin Not Found,Abort Procedure";
    QTest::newRow("merge error") << QByteArrayList{s2(0x388000), "", s9} << QStringList() << "-1"
                                 << 1 << "File New Sx Not Create,Abort Procedure";
}

void TestCli::patchResults() {
    QFETCH(QByteArrayList, base);
    QFETCH(QStringList, extra);
    QFETCH(QString, result);
    QFETCH(int, status);
    QFETCH(QString, message);
    Project p;
    QVERIFY(writeFile(p.bin() + "/bank1.bin", bankImage()));
    QVERIFY(writeFile(p.dir.filePath("base.sx"), crlfText(base)));
    const Run r = cli(
        QStringList{"patch", p.dir.filePath("base.sx"), p.bin(), p.dir.filePath("out.sx")} + extra);
    QCOMPARE(lastLine(r.out), result);
    QCOMPARE(r.status, status);
    QCOMPARE(r.err.trimmed(), message);
    QCOMPARE(QFile::exists(p.dir.filePath("out.sx")), message.isEmpty());
    QCOMPARE(cli({"patch", "a", "b", "c", "--bank", "6"}).status, 2);
}

void TestCli::inspectFirmware_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("status");
    QTest::newRow("sound") << "" << 0;
    QTest::newRow("wrong checksum") << "checksum" << 1;
    QTest::newRow("window incomplete") << "partial" << 1;
}

void TestCli::inspectFirmware() {
    QFETCH(QString, fault);
    QFETCH(int, status);
    Project p;
    QCOMPARE(cli({"compose", p.path()}).status, 0);
    QVERIFY(writeFile(p.dir.filePath("base.sx"), crlfText(sampleBase())));
    QCOMPARE(cli({"patch", p.dir.filePath("base.sx"), p.bin(), p.dir.filePath("new.sx")}).status,
             0);
    if (!fault.isEmpty()) {
        QByteArrayList lines = readFile(p.dir.filePath("new.sx")).trimmed().split('\n');
        for (QByteArray& l : lines)
            l = l.trimmed();
        const qsizetype at = lines.indexOf(bankRecords(readFile(p.bin() + "/bank1.bin"))[300]);
        QVERIFY(at > 0);
        if (fault == "checksum")
            lines[at][5] = lines[at][5] == '0' ? '1' : '0';
        else
            lines.removeAt(at);
        QVERIFY(writeFile(p.dir.filePath("new.sx"), crlfText(lines)));
    }
    const Run r = cli({"inspect", p.dir.filePath("new.sx")});
    QCOMPARE(r.status, status);
    if (status == 0)
        for (const QString& line : kParameters)
            QVERIFY2(r.out.contains(line + "\n"), qPrintable(line + "\n---\n" + r.out));
    else
        QVERIFY(!r.err.isEmpty());
}

void TestCli::update_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("whole road") << "" << 0 << "";
    QTest::newRow("no flasher") << "flasher" << 1 << "VidodIzuze.exe Not Found, Procedure Aborted";
    QTest::newRow("no base firmware") << "base" << 1 << "Error file sx93051.sx not found";
    QTest::newRow("bad pargen") << "pargen" << 1 << "\"BAUD\"";
}

void TestCli::update() {
    QFETCH(QString, fault);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkpath("MASTER"));
    QVERIFY(QDir(program.path()).mkpath("PROJECTS/Demo/bin"));
    const QString project = program.filePath("PROJECTS/Demo");
    QVERIFY(writeFile(project + "/pargen.xml",
                      fault == "pargen" ? QByteArray(kPargen).replace("<BAUD>7<", "<BAUD>fast<")
                                        : kPargen));
    if (fault != "base")
        QVERIFY(writeFile(program.filePath("MASTER/sx93051.sx"), crlfText(sampleBase())));
    if (fault != "flasher")
        QVERIFY(QFile::copy(kProgramDir + "/VidodIzuze.exe", program.filePath("VidodIzuze.exe")));
    QProcessEnvironment env;
    env.insert("QUENZOR_PROGRAM_DIR", program.path());
    env.insert("QUENZOR_FLASHER_LOG", program.filePath("flasher.log"));
    const Run r = cli({"update", project, "--port", "COM3", "--wait"}, env);
    QCOMPARE(r.status, status);
    if (status == 0) {
        const QString log = QString::fromUtf8(readFile(program.filePath("flasher.log")));
        QVERIFY2(log.contains("Result: ACCEPTED - would write"), qPrintable(log));
        QVERIFY(log.contains("Firmware: " + QDir::toNativeSeparators(project + "/New_sx93051.sx")));
        QVERIFY(log.contains("Port:     COM3 -> "));
        QVERIFY(log.contains("  TCP port:        1502\n"));
        QVERIFY2(r.out.contains("started on COM3"), qPrintable(r.out));
    } else {
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(program.filePath("flasher.log")));
    }
    QCOMPARE(cli({"update", project, "--port", "COM9"}, env).status, 2);
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
