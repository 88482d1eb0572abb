// Faults found by feeding the companion bad input and a full disk: each failure is reported
// with the system's reason and leaves the project folder exactly as it was.
#include "CliRun.h"
#include "FirmwareTestData.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testdata;

namespace {

// The file-size limit stands in for a full disk; SIGXFSZ ignored, so writes fail with EFBIG.
std::function<void()> fileSizeLimit(rlim_t bytes) {
    return [bytes] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
    };
}

// A program folder with MASTER's base firmware, the stand-in flasher and a project Demo.
struct Program {
    QTemporaryDir dir;
    QString project() const { return dir.filePath("PROJECTS/Demo"); }
    explicit Program(const QByteArrayList& base) {
        QDir(dir.path()).mkpath("MASTER");
        QDir(dir.path()).mkpath("PROJECTS/Demo/bin");
        writeFile(project() + "/pargen.xml", kDistinctPargen);
        writeFile(dir.filePath("MASTER/sx93051.sx"), crlfText(base));
        QFile::copy(QStringLiteral(QUENZOR_PROGRAM_DIR "/VidodIzuze.exe"),
                    dir.filePath("VidodIzuze.exe"));
    }
    QProcessEnvironment env() const {
        QProcessEnvironment e;
        e.insert("QUENZOR_PROGRAM_DIR", dir.path());
        e.insert("QUENZOR_FLASHER_LOG", dir.filePath("flasher.log"));
        return e;
    }
};

} // namespace

class TestCliFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullDisk_data();
    void fullDisk();
    void fullTmpfs_data();
    void fullTmpfs();
    void updateLeavesOnlyPlacedFirmware_data();
    void updateLeavesOnlyPlacedFirmware();
    void refusedInput_data();
    void refusedInput();
    void nameNotValidText();
    void inspectEscapesWhatItPrints();
};

void TestCliFaults::fullDisk_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("limit");
    QTest::newRow("compose, bank1.bin cut") << "compose" << 1000;
    QTest::newRow("compose, bankg.c cut") << "compose" << 20000;
    QTest::newRow("new-project, pargen.xml cut") << "new-project" << 100;
}

void TestCliFaults::fullDisk() {
    QFETCH(QString, command);
    QFETCH(int, limit);
    QTemporaryDir dir;
    const QString project = dir.filePath("P");
    if (command == "compose") {
        QDir(dir.path()).mkpath("P/bin");
        writeFile(project + "/pargen.xml", kDistinctPargen);
        writeFile(project + "/bin/bank1.bin", QByteArray(16384, '\x11'));
        writeFile(project + "/bin/bankg.c", "old rendering\r\n");
    }
    const auto before = folderSnapshot(dir.path());
    const CliRun r = runCli({command, project}, {}, fileSizeLimit(rlim_t(limit)));
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains("Cannot create file \"") && r.err.contains("File too large"),
             qPrintable(r.err));
    QCOMPARE(folderSnapshot(dir.path()), before);
}

void TestCliFaults::fullTmpfs_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("sizeKiB");   // of the tmpfs
    QTest::addColumn<int>("fillerKiB"); // taken by a file that is not the project's
    QTest::newRow("compose, no room for bank1.bin") << "compose" << 64 << 40;
    QTest::newRow("compose, no room for bankg.c") << "compose" << 64 << 16;
    QTest::newRow("new-project, no room for pargen.xml") << "new-project" << 16 << 16;
}

// A real full disk: a small tmpfs in a mount namespace of its own, so nothing outside sees it.
void TestCliFaults::fullTmpfs() {
    QFETCH(QString, command);
    QFETCH(int, sizeKiB);
    QFETCH(int, fillerKiB);
    if (geteuid() != 0 || QProcess::execute("unshare", {"-m", "true"}) != 0)
        QSKIP("mounting a tmpfs in its own mount namespace needs root");
    QTemporaryDir source, mountPoint;
    if (command == "compose") {
        QDir(source.path()).mkpath("P/bin");
        writeFile(source.filePath("P/pargen.xml"), kDistinctPargen);
        writeFile(source.filePath("P/bin/bank1.bin"), QByteArray(16384, '\x11'));
        writeFile(source.filePath("P/bin/bankg.c"), "old rendering\r\n");
    }
    const QString script =
        "set -e; mount -t tmpfs -o size=\"$2\"k tmpfs \"$1\"; cp -a \"$0\"/. \"$1\"; cd \"$1\"\n"
        "head -c \"$3\"K /dev/zero > filler || true\n"
        "snap() { find . | sort; find . -type f | sort | xargs sha256sum; }\n"
        "before=$(snap); set +e; \"$4\" \"$5\" \"$1/P\"; echo \"status $?\"\n"
        "[ \"$before\" = \"$(snap)\" ] && echo unchanged\n";
    QProcess p;
    p.start("unshare", {"-m", "--propagation", "private", "/bin/sh", "-c", script, source.path(),
                        mountPoint.path(), QString::number(sizeKiB), QString::number(fillerKiB),
                        QUENZOR_PROGRAM_DIR "/quenzor-cli", command});
    QVERIFY(p.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(out.contains("status 1\n"), qPrintable(out + err));
    QVERIFY2(err.contains("No space left on device"), qPrintable(err));
    QVERIFY2(out.contains("unchanged"), qPrintable(out + err));
}

void TestCliFaults::updateLeavesOnlyPlacedFirmware_data() {
    QTest::addColumn<QByteArrayList>("base");
    QTest::addColumn<bool>("earlier");
    QTest::addColumn<QString>("message");
    QByteArrayList noWindow = sampleBase();
    // Every S2 record whose address lies in bank 1's window 0x388000..0x38BFFF.
    noWindow.erase(std::remove_if(noWindow.begin(), noWindow.end(),
                                  [](const QByteArray& l) {
                                      const uint address = l.mid(4, 6).toUInt(nullptr, 16);
                                      return l.startsWith("S2") && address >= 0x388000 &&
                                             address < 0x38C000;
                                  }),
                   noWindow.end());
    QByteArrayList noEnd = sampleBase();
    noEnd.removeLast();
    for (bool earlier : {false, true}) {
        const char* suffix = earlier ? ", earlier file kept" : "";
        QTest::addRow("no bank-1 records%s", suffix)
            << noWindow << earlier << "Bank 1 Not Found in sx93051.sx";
        QTest::addRow("no S9 record%s", suffix) << noEnd << earlier << "No S9 record";
    }
}

void TestCliFaults::updateLeavesOnlyPlacedFirmware() {
    QFETCH(QByteArrayList, base);
    QFETCH(bool, earlier);
    QFETCH(QString, message);
    Program program(base);
    if (earlier)
        writeFile(program.project() + "/New_sx93051.sx", "an earlier good firmware\r\n");
    QVERIFY(runCli({"compose", program.project()}).status == 0);
    const auto before = folderSnapshot(program.project());
    const CliRun r = runCli({"update", program.project(), "--port", "COM1"}, program.env());
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(folderSnapshot(program.project()), before);
    QVERIFY(!QFile::exists(program.dir.filePath("flasher.log")));
}

void TestCliFaults::refusedInput_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("repeated --port")
        << QStringList{"update", "P", "--port", "COM1", "--port", "COM9"} << 2
        << "option 'port' given more than once";
    QTest::newRow("repeated --bank")
        << QStringList{"patch", "a", "b", "c", "--bank", "1", "--bank", "2"} << 2
        << "option 'bank' given more than once";
    QTest::newRow("inspect a FIFO") << QStringList{"inspect", "fifo"} << 1 << "Not a regular file";
    QTest::newRow("xml-tree a FIFO")
        << QStringList{"xml-tree", "fifo"} << 1 << "Not a regular file";
    QTest::newRow("compose a FIFO pargen.xml")
        << QStringList{"compose", "F"} << 1 << "Not a regular file";
    QTest::newRow("deeply nested pargen.xml")
        << QStringList{"compose", "D"} << 1 << "Elements nested more than 32 levels deep";
    QTest::newRow("firmware without end record")
        << QStringList{"inspect", "noend.sx"} << 1 << "No termination record (S7, S8 or S9).";
}

void TestCliFaults::refusedInput() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
    QDir(dir.path()).mkpath("F/bin");
    QVERIFY(mkfifo(QFile::encodeName(dir.filePath("F/pargen.xml")).constData(), 0600) == 0);
    QDir(dir.path()).mkpath("D/bin");
    writeFile(dir.filePath("D/pargen.xml"),
              QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000));
    QByteArrayList lines = sampleBase();
    lines.removeLast();
    writeFile(dir.filePath("noend.sx"), crlfText(lines));
    for (QString& a : args)
        if (!a.startsWith("-") && QFileInfo::exists(dir.filePath(a)))
            a = dir.filePath(a);
    const auto before = folderSnapshot(dir.path());
    QElapsedTimer clock;
    clock.start();
    const CliRun r = runCli(args);
    QVERIFY2(clock.elapsed() < 10000, "the command must not wait on its input");
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(folderSnapshot(dir.path()), before);
}

void TestCliFaults::nameNotValidText() {
    // Bytes that are no UTF-8 text: QProcess cannot pass them, a shell can.
    QTemporaryDir dir;
    QProcess p;
    p.start("/bin/sh", {"-c", "exec \"$0\" new-project \"$1/$(printf 'x\\377y')\"",
                        QStringLiteral(QUENZOR_PROGRAM_DIR "/quenzor-cli"), dir.path()});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QCOMPARE(QString::fromLocal8Bit(p.readAllStandardError()).trimmed(),
             QString("Name project not valid"));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestCliFaults::inspectEscapesWhatItPrints() {
    QTemporaryDir dir;
    QByteArray image(16384, '\0');
    image.replace(15014, 3, "a\nb");
    const QString path = dir.filePath("x%1y%2z\nw.bin");
    QVERIFY(writeFile(path, image));
    const CliRun r = runCli({"inspect", path});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.contains("Bank file: " + dir.path() + "/x%1y%2z\\x0Aw.bin\n"),
             qPrintable(r.out));
    QVERIFY2(r.out.contains("SNMP public:     \"a\\x0Ab\"\n"), qPrintable(r.out));
}

QTEST_GUILESS_MAIN(TestCliFaults)
#include "test_clifaults.moc"
