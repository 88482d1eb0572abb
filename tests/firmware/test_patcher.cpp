#include "common/RecordingPrompter.h"
#include "firmware/FirmwarePatcher.h"

#include "FirmwareTestData.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace testdata;

namespace {

const QByteArray kBank = "<BANK>";

class RecordingProgress : public PatchProgress {
public:
    void setMaximum(qint64 m) override { maximum = m; }
    void setPosition(qint64 p) override {
        if (p != 0 && p < position)
            backwards = true;
        position = p;
        ++calls;
    }
    qint64 maximum = -1;
    qint64 position = -1;
    qint64 calls = 0;
    bool backwards = false;
};

// A project-like layout: base firmware, bin folder with bank1.bin, output folder.
struct Setup {
    QTemporaryDir dir;
    QString base() const { return dir.filePath("sx93051.sx"); }
    QString bin() const { return dir.filePath("bin") + "/"; }
    QString out() const { return dir.filePath("New_sx93051.sx"); }
    Setup() { QDir(dir.path()).mkdir("bin"); }
};

QByteArrayList expand(const QByteArrayList& lines, const QByteArray& image) {
    QByteArrayList out;
    for (const QByteArray& l : lines)
        if (l == kBank)
            out += bankRecords(image);
        else
            out << l;
    return out;
}

int runPatch(Setup& s, RecordingPrompter& prompter, RecordingProgress& progress, bool ask = false,
             const QString& outputName = "New_sx93051.sx") {
    return PatchFirmwareBank(1, ask, s.base(), outputName, s.bin(), s.dir.path() + "/", progress,
                             prompter);
}

} // namespace

class TestPatcher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void merge_data();
    void merge();
    void lineEnds_data();
    void lineEnds();
    void checks_data();
    void checks();
    void mergeErrors_data();
    void mergeErrors();
    void bankFileOfWrongSize_data();
    void bankFileOfWrongSize();
    void outputCannotBeCreated();
    void otherBanks_data();
    void otherBanks();
    void crossCheckWithSrecord();
};

void TestPatcher::merge_data() {
    QTest::addColumn<QByteArrayList>("input");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("questions");

    const QByteArray s0 = record('0', 0, "hdr");
    const QByteArray s9 = "S9030000FC";
    const QByteArray codeA = s2(0x1000);
    const QByteArray codeB = s2(0x3D0000);
    QByteArrayList window;
    for (std::uint32_t a = 0x388000; a < 0x38C000; a += 16)
        window << s2(a, 16);

    QTest::newRow("window in order")
        << (QByteArrayList{s0, codeA} + window + QByteArrayList{codeB, s9}) << false
        << QList<bool>{} << QByteArrayList{s0, codeA, kBank, codeB, s9} << 1 << 0;
    QTest::newRow("three window records")
        << QByteArrayList{s0, s2(0x388000), s2(0x389000), s2(0x38BFE0), codeB, s9} << false
        << QList<bool>{} << QByteArrayList{s0, kBank, codeB, s9} << 1 << 0;
    QTest::newRow("two runs") << QByteArrayList{s0,         s2(0x388000), s2(0x388020), codeA,
                                                "any text", s2(0x389000), codeB,        s9}
                              << false << QList<bool>{}
                              << QByteArrayList{s0, kBank, codeA, "any text", codeB, s9} << 1 << 0;
    QTest::newRow("window edges") << QByteArrayList{s2(0x387FF0), s2(0x388000), s2(0x38C000),
                                                    s2(0x38BFFF, 1), s9}
                                  << false << QList<bool>{}
                                  << QByteArrayList{s2(0x387FF0), kBank, s2(0x38C000), s9} << 1
                                  << 0;
    const QByteArray s1 = record('1', 0x3880, QByteArray(32, '\0'));
    const QByteArray s3 = record('3', 0x388000, "abc");
    const QByteArray s8 = record('8', 0x388000, {});
    const QByteArray s5 = record('5', 0x0003, {});
    QTest::newRow("S1 S3 S5 S8 copied")
        << QByteArrayList{s0, s1, s3, s5, s8, s9} << false << QList<bool>{}
        << QByteArrayList{s0, s1, s3, s5, s8, s9} << 0 << 0;
    QByteArray lower = s2(0x388000);
    lower[0] = 's';
    QTest::newRow("small s copied") << QByteArrayList{lower, s9} << false << QList<bool>{}
                                    << QByteArrayList{lower, s9} << 0 << 0;
    QTest::newRow("no window, no question")
        << QByteArrayList{s0, codeA, codeB, s9} << false << QList<bool>{}
        << QByteArrayList{s0, codeA, codeB, s9} << 0 << 0;
    QTest::newRow("no window, Yes") << QByteArrayList{s0, codeA, s9} << true << QList<bool>{true}
                                    << QByteArrayList{s0, codeA, kBank, s9} << 1 << 1;
    QTest::newRow("no window, No") << QByteArrayList{s0, codeA, s9} << true << QList<bool>{false}
                                   << QByteArrayList{s0, codeA, s9} << 0 << 1;
    QTest::newRow("No then Yes at the next S9")
        << QByteArrayList{codeA, s9, codeB, s9} << true << QList<bool>{false, true}
        << QByteArrayList{codeA, s9, codeB, kBank, s9} << 1 << 2;
    QTest::newRow("placed, then no question")
        << QByteArrayList{s2(0x388000), s9, s9} << true << QList<bool>{}
        << QByteArrayList{kBank, s9, s9} << 1 << 0;
    QTest::newRow("no S9 though placed")
        << QByteArrayList{s0, s2(0x388000), codeB} << false << QList<bool>{}
        << QByteArrayList{s0, kBank, codeB} << -1 << 0;
    QTest::newRow("window after S9: last S9 decides")
        << QByteArrayList{s9, s2(0x388000)} << false << QList<bool>{} << QByteArrayList{s9, kBank}
        << 0 << 0;
    QTest::newRow("one-character line copied")
        << QByteArrayList{"S", s2(0x388000), s9} << false << QList<bool>{}
        << QByteArrayList{"S", kBank, s9} << 1 << 0;
}

void TestPatcher::merge() {
    QFETCH(QByteArrayList, input);
    QFETCH(bool, ask);
    QFETCH(QList<bool>, answers);
    QFETCH(QByteArrayList, expected);
    QFETCH(int, result);
    QFETCH(int, questions);
    Setup s;
    const QByteArray image = bankImage();
    QVERIFY(writeFile(s.bin() + "bank1.bin", image));
    QVERIFY(writeFile(s.base(), crlfText(input)));
    RecordingPrompter prompter;
    for (bool a : answers)
        prompter.questionAnswers.enqueue(a);
    RecordingProgress progress;

    QCOMPARE(runPatch(s, prompter, progress, ask), result);
    QCOMPARE(readFile(s.out()), crlfText(expand(expected, image)));
    QCOMPARE(prompter.entries.size(), questions);
    for (const RecordingPrompter::Entry& e : prompter.entries) {
        QCOMPARE(e.kind, RecordingPrompter::Kind::Question);
        QCOMPARE(e.text, QString("Bank Not Found.To insert Equally?"));
        QCOMPARE(e.extra, QString("Alert"));
    }
    QCOMPARE(progress.maximum, 512 + input.size());
    QCOMPARE(progress.position, progress.maximum);
    QVERIFY(!progress.backwards);
    QVERIFY(!QFile::exists(s.bin() + "Bin.sx"));
}

void TestPatcher::lineEnds_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("lines");
    const QByteArray a = s2(0x1000);
    const QByteArray w = s2(0x388000);
    QTest::newRow("LF only") << QByteArray(a + "\n" + w + "\nS9030000FC\n") << 3;
    QTest::newRow("no line end at the end") << QByteArray(a + "\r\n" + w + "\r\nS9030000FC") << 3;
    QTest::newRow("mixed") << QByteArray(a + "\n" + w + "\r\nS9030000FC\r\n") << 3;
}

void TestPatcher::lineEnds() {
    QFETCH(QByteArray, input);
    QFETCH(int, lines);
    Setup s;
    const QByteArray image = bankImage(7);
    QVERIFY(writeFile(s.bin() + "bank1.bin", image));
    QVERIFY(writeFile(s.base(), input));
    RecordingPrompter prompter;
    RecordingProgress progress;
    QCOMPARE(runPatch(s, prompter, progress), 1);
    QCOMPARE(readFile(s.out()), crlfText(QByteArrayList{s2(0x1000)} + bankRecords(image) +
                                         QByteArrayList{"S9030000FC"}));
    QCOMPARE(progress.maximum, 512 + lines);
}

void TestPatcher::checks_data() {
    QTest::addColumn<QString>("missing"); // what the setup leaves out
    QTest::addColumn<QString>("message");
    QTest::newRow("base firmware") << "base"
                                   << "File *.Sx Not Found,Abort Procedure";
    QTest::newRow("output name") << "name"
                                 << "File New *.Sx Not Found,Abort Procedure";
    QTest::newRow("bin folder") << "bin"
                                << "Directory Bin Not Found,Abort Procedure";
    QTest::newRow("bank file") << "bank"
                               << "File bank1.bin Not Found,Abort Procedure";
}

void TestPatcher::checks() {
    QFETCH(QString, missing);
    QFETCH(QString, message);
    Setup s;
    if (missing != "base")
        QVERIFY(writeFile(s.base(), crlfText({s2(0x388000), "S9030000FC"})));
    if (missing == "bin")
        QVERIFY(QDir(s.bin()).removeRecursively());
    else if (missing != "bank")
        QVERIFY(writeFile(s.bin() + "bank1.bin", bankImage()));
    RecordingPrompter prompter;
    RecordingProgress progress;
    QCOMPARE(
        runPatch(s, prompter, progress, false, missing == "name" ? QString() : "New_sx93051.sx"),
        -1);
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::Message);
    QCOMPARE(prompter.entries[0].text, message);
    QCOMPARE(progress.position, 0);
    QCOMPARE(progress.maximum, -1);
    QVERIFY(!QFile::exists(s.out()));
    QVERIFY(!QFile::exists(s.bin() + "Bin.sx"));
}

void TestPatcher::mergeErrors_data() {
    QTest::addColumn<QByteArray>("input");
    const QByteArray ok = s2(0x388000) + "\r\n";
    QTest::newRow("empty line") << QByteArray(ok + "\r\nS9030000FC\r\n");
    QTest::newRow("S2 too short for its address") << QByteArray(ok + "S22438800\r\nS9030000FC\r\n");
    QTest::newRow("S2 address not hexadecimal") << QByteArray(ok + "S2243880G0\r\nS9030000FC\r\n");
    QTest::newRow("S1 too short") << QByteArray("S1051\r\n" + ok + "S9030000FC\r\n");
    QTest::newRow("error after S9") << QByteArray(ok + "S9030000FC\r\n\r\n");
    QTest::newRow("line too long")
        << QByteArray(ok + QByteArray(1100000, 'x') + "\r\nS9030000FC\r\n");
}

void TestPatcher::mergeErrors() {
    QFETCH(QByteArray, input);
    Setup s;
    QVERIFY(writeFile(s.bin() + "bank1.bin", bankImage()));
    QVERIFY(writeFile(s.base(), input));
    // The file of an earlier run stays whole; no partial file ever replaces it.
    QVERIFY(writeFile(s.out(), "earlier run"));
    QVERIFY(writeFile(s.bin() + "Bin.sx", "stale"));
    RecordingPrompter prompter;
    RecordingProgress progress;
    QCOMPARE(runPatch(s, prompter, progress), -1);
    QCOMPARE(prompter.texts(), QStringList{"File New Sx Not Create,Abort Procedure"});
    QCOMPARE(readFile(s.out()), QByteArray("earlier run"));
    QVERIFY(!QFile::exists(s.bin() + "Bin.sx"));
    QCOMPARE(QDir(s.dir.path()).entryList({"*.sx*"}, QDir::Files),
             QStringList{"New_sx93051.sx"} << "sx93051.sx");
}

void TestPatcher::bankFileOfWrongSize_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("short") << 16383;
    QTest::newRow("long") << 16385;
    QTest::newRow("empty") << 0;
}

void TestPatcher::bankFileOfWrongSize() {
    QFETCH(int, size);
    Setup s;
    QVERIFY(writeFile(s.bin() + "bank1.bin", bankImage().leftJustified(size, '\0', true)));
    QVERIFY(writeFile(s.base(), crlfText({s2(0x388000), "S9030000FC"})));
    RecordingPrompter prompter;
    RecordingProgress progress;
    QCOMPARE(runPatch(s, prompter, progress), -1);
    QCOMPARE(prompter.texts(),
             QStringList{"File bank1.bin is not 16384 bytes long,Abort Procedure"});
    QVERIFY(!QFile::exists(s.out()));
    QVERIFY(!QFile::exists(s.bin() + "Bin.sx"));
}

void TestPatcher::outputCannotBeCreated() {
    Setup s;
    QVERIFY(writeFile(s.bin() + "bank1.bin", bankImage()));
    QVERIFY(writeFile(s.base(), crlfText({s2(0x388000), "S9030000FC"})));
    RecordingPrompter prompter;
    RecordingProgress progress;
    const QString folder = s.dir.filePath("no such folder") + "/";
    QCOMPARE(PatchFirmwareBank(1, false, s.base(), "New_sx93051.sx", s.bin(), folder, progress,
                               prompter),
             -1);
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY2(
        prompter.entries[0].text.startsWith(
            "Cannot create file \"" + QDir::toNativeSeparators(folder + "New_sx93051.sx") + "\". "),
        qPrintable(prompter.entries[0].text));
    QVERIFY(!QFile::exists(s.bin() + "Bin.sx"));
}

void TestPatcher::otherBanks_data() {
    QTest::addColumn<int>("bank");
    QTest::addColumn<uint>("start");
    QTest::newRow("bank 2") << 2 << 0x398000u;
    QTest::newRow("bank 5") << 5 << 0x3C8000u;
}

void TestPatcher::otherBanks() {
    QFETCH(int, bank);
    QFETCH(uint, start);
    Setup s;
    const QByteArray image = bankImage(char(bank));
    QVERIFY(writeFile(s.bin() + QString("bank%1.bin").arg(bank), image));
    const QByteArrayList input{s2(0x388000), s2(start + 0x100), s2(start + 0x4000), "S9030000FC"};
    QVERIFY(writeFile(s.base(), crlfText(input)));
    RecordingPrompter prompter;
    RecordingProgress progress;
    QCOMPARE(PatchFirmwareBank(bank, false, s.base(), "out.sx", s.bin(), s.dir.path(), progress,
                               prompter),
             1);
    QCOMPARE(readFile(s.dir.filePath("out.sx")),
             crlfText(QByteArrayList{s2(0x388000)} + bankRecords(image, start) +
                      QByteArrayList{s2(start + 0x4000), "S9030000FC"}));
}

void TestPatcher::crossCheckWithSrecord() {
    const QString srecCat = QStandardPaths::findExecutable("srec_cat");
    const QString srecInfo = QStandardPaths::findExecutable("srec_info");
    if (srecCat.isEmpty() || srecInfo.isEmpty())
        QSKIP("srecord tools are not installed");
    Setup s;
    const QByteArray image = bankImage(3);
    QVERIFY(writeFile(s.bin() + "bank1.bin", image));
    QVERIFY(writeFile(s.base(), crlfText(sampleBase())));
    RecordingPrompter prompter;
    RecordingProgress progress;
    QCOMPARE(runPatch(s, prompter, progress), 1);
    QVERIFY(prompter.entries.isEmpty());

    const auto run = [&](const QString& program, const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(s.dir.path());
        p.start(program, args);
        p.waitForFinished(60000);
        return std::make_pair(p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()));
    };
    // srec_info checks every record's checksum and fails on the first wrong one.
    auto [infoStatus, infoErr] = run(srecInfo, {s.out()});
    QVERIFY2(infoStatus == 0, qPrintable(infoErr));
    // The window's memory is the bank file.
    auto [cropStatus, cropErr] = run(srecCat, {s.out(), "-crop", "0x388000", "0x38C000", "-offset",
                                               "-0x388000", "-o", "window.bin", "-binary"});
    QVERIFY2(cropStatus == 0, qPrintable(cropErr));
    QCOMPARE(readFile(s.dir.filePath("window.bin")), image);
    // Everything outside the window is the base firmware's.
    for (const auto& [in, out] :
         {std::pair{s.base(), QString("base.bin")}, std::pair{s.out(), QString("new.bin")}}) {
        auto [status, err] =
            run(srecCat, {in, "-exclude", "0x388000", "0x38C000", "-o", out, "-binary"});
        QVERIFY2(status == 0, qPrintable(err));
    }
    QCOMPARE(readFile(s.dir.filePath("new.bin")), readFile(s.dir.filePath("base.bin")));
    QVERIFY(readFile(s.dir.filePath("new.bin")).size() > 0x3C8000);
}

QTEST_GUILESS_MAIN(TestPatcher)
#include "test_patcher.moc"
