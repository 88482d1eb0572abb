#include "image/ImageWriters.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

ConfigImage patternImage() {
    ConfigImage image;
    for (std::size_t i = 0; i < kImageSize; ++i)
        image.setByte(i, static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF));
    return image;
}

const QByteArray kPargen =
    "<General_Parameter><TCP_IP1>192</TCP_IP1><TCP_IP2>168</TCP_IP2><TCP_IP3>1</TCP_IP3>"
    "<TCP_IP4>10</TCP_IP4><TCP_SUB1>255</TCP_SUB1><TCP_SUB2>255</TCP_SUB2><TCP_SUB3>255</TCP_SUB3>"
    "<TCP_SUB4>0</TCP_SUB4><TCP_GAT1>0</TCP_GAT1><TCP_GAT2>0</TCP_GAT2><TCP_GAT3>0</TCP_GAT3>"
    "<TCP_GAT4>0</TCP_GAT4><TCP_PORT>502</TCP_PORT><SNMP_PUBLIC>halvik</SNMP_PUBLIC>"
    "<SNMP_PRIVATE>morsund</SNMP_PRIVATE><BAUD>6</BAUD><PARITY>0</PARITY>"
    "<TIME_OUT>1000</TIME_OUT><OFFSET>0</OFFSET><MODE>1</MODE></General_Parameter>";

CompositionStamp fixedStamp() {
    return QDateTime(QDate(2026, 12, 8), QTime(14, 35, 27));
}

} // namespace

class TestImageWriters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cLayout_data();
    void cLayout();
    void cAllZeroLines();
    void cBlockLines();
    void cCompilesToTheSameBytes();
    void binIsTheImage();
    void secondRunReplaces();
    void noBinFolder();
    void failedCompositionWritesNothing_data();
    void failedCompositionWritesNothing();
};

void TestImageWriters::cLayout_data() {
    QTest::addColumn<bool>("zero");
    QTest::newRow("pattern") << false;
    QTest::newRow("all zero") << true;
}

void TestImageWriters::cLayout() {
    QFETCH(bool, zero);
    const ConfigImage image = zero ? ConfigImage() : patternImage();
    const QByteArray text = RenderImageC(image);
    QVERIFY(text.endsWith("\r\n"));
    QCOMPARE(text.count("\r\n"), 1027);
    QCOMPARE(text.count('\n'), 1027); // no bare LF
    QCOMPARE(text.count('\r'), 1027); // no bare CR
    for (char c : text)
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
    const QList<QByteArray> lines = text.chopped(2).split('\n');
    QCOMPARE(lines.size(), 1027);
    QCOMPARE(lines[0], QByteArray("#pragma CONST_SEG SEGMENT0\r"));
    QCOMPARE(lines[1].left(23), QByteArray("const char Bank1 [] = {"));
    QCOMPARE(lines[1025], QByteArray("\r"));
    QCOMPARE(lines[1026], QByteArray("#pragma CONST_SEG DEFAULT"));

    const QRegularExpression item(QStringLiteral("^( 0x[0-9A-F]{2},){16}$"));
    const QRegularExpression lastLine(QStringLiteral("^( 0x[0-9A-F]{2},){15} 0x[0-9A-F]{2}\\};$"));
    QByteArray bytes;
    for (int k = 2; k <= 1025; ++k) {
        QByteArray line = lines[k - 1];
        QVERIFY(line.endsWith('\r'));
        line.chop(1);
        const QByteArray prefix =
            k == 2 ? QByteArray("const char Bank1 [] = {") : QByteArray(17, ' ');
        QVERIFY2(line.startsWith(prefix), line.constData());
        const QString items = QString::fromLatin1(line.mid(prefix.size()));
        QVERIFY2((k == 1025 ? lastLine : item).match(items).hasMatch(), qPrintable(items));
        for (qsizetype at = items.indexOf("0x"); at >= 0; at = items.indexOf("0x", at + 1))
            bytes.append(char(items.mid(at + 2, 2).toInt(nullptr, 16)));
    }
    QCOMPARE(bytes.size(), qsizetype(kImageSize));
    QCOMPARE(bytes, image.toByteArray());
    QCOMPARE(text.count("};"), 1);
    QCOMPARE(text.count(" 0x"), 16384);
    QCOMPARE(text.count(","), 16383);
}

void TestImageWriters::cAllZeroLines() {
    const QList<QByteArray> lines = RenderImageC(ConfigImage()).split('\n');
    QByteArray items;
    for (int i = 0; i < 16; ++i)
        items += " 0x00,";
    QCOMPARE(lines[1], "const char Bank1 [] = {" + items + "\r");
    QCOMPARE(lines[1024], QByteArray(17, ' ') + items.chopped(1) + "};\r");
}

void TestImageWriters::cBlockLines() {
    QTemporaryDir dir;
    writeFile(dir.filePath("pargen.xml"), kPargen);
    QVERIFY(QDir(dir.path()).mkdir("bin"));
    ConfigImage image;
    QVERIFY(ComposeAndSaveImage(image, dir.filePath("pargen.xml"), dir.path(), fixedStamp).ok());
    const QList<QByteArray> lines = readFile(dir.filePath("bin/bankg.c")).split('\n');
    // Offset 15000 is the ninth item of line 939; the block ends on line 942.
    const QList<QByteArray> items939 = lines[938].trimmed().split(' ');
    QCOMPARE(items939[8], QByteArray("0xC0,"));
    QCOMPARE(items939[9], QByteArray("0xA8,"));
    QCOMPARE(lines[941].trimmed().split(' ')[12], QByteArray("0x46,")); // offset 15052
    QVERIFY(!lines[942].contains("0x46") && lines[942].count("0x00") == 16);
}

void TestImageWriters::cCompilesToTheSameBytes() {
    const QString cc = QStandardPaths::findExecutable("cc");
    if (cc.isEmpty())
        QSKIP("no C compiler");
    QTemporaryDir dir;
    const ConfigImage image = patternImage();
    QVERIFY(QDir(dir.path()).mkdir("bin"));
    QVERIFY(SaveImageC(image, dir.path()).ok());
    // A tiny program prints the array, so the compiled bytes are compared, not just parsed.
    writeFile(dir.filePath("main.c"),
              "#include <stdio.h>\n"
              "extern const char Bank1[];\n"
              "int main(void) { fwrite(Bank1, 1, 16384, stdout); return 0; }\n");
    QProcess compile;
    compile.setWorkingDirectory(dir.path());
    compile.start(cc, {"-std=c99", "-pedantic-errors", "-Wno-unknown-pragmas", "-o", "dump",
                       "bin/bankg.c", "main.c"});
    QVERIFY(compile.waitForFinished(60000));
    QVERIFY2(compile.exitCode() == 0, compile.readAllStandardError().constData());
    QProcess run;
    run.start(dir.filePath("dump"), {});
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.readAllStandardOutput(), image.toByteArray());
}

void TestImageWriters::binIsTheImage() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("bin"));
    const ConfigImage image = patternImage();
    QVERIFY(SaveImageBin(image, dir.path()).ok());
    QCOMPARE(ImageBinPath(dir.path()), QDir::toNativeSeparators(dir.path() + "/bin/bank1.bin"));
    QCOMPARE(readFile(dir.filePath("bin/bank1.bin")), image.toByteArray());
}

void TestImageWriters::secondRunReplaces() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("bin"));
    writeFile(dir.filePath("bin/bank1.bin"), QByteArray(20000, 'x'));
    writeFile(dir.filePath("bin/bankg.c"), QByteArray(300000, 'y'));
    QVERIFY(SaveImageBin(ConfigImage(), dir.path()).ok());
    QVERIFY(SaveImageC(ConfigImage(), dir.path()).ok());
    QCOMPARE(readFile(dir.filePath("bin/bank1.bin")), QByteArray(16384, '\0'));
    QCOMPARE(readFile(dir.filePath("bin/bankg.c")), RenderImageC(ConfigImage()));
}

void TestImageWriters::noBinFolder() {
    QTemporaryDir dir;
    writeFile(dir.filePath("pargen.xml"), kPargen);
    ConfigImage image;
    const Result<> failure =
        ComposeAndSaveImage(image, dir.filePath("pargen.xml"), dir.path(), fixedStamp);
    QVERIFY(!failure);
    // bank1.bin is reported like bankg.c, and the step stops there.
    const QString expectedStart =
        "Cannot create file \"" + QDir::toNativeSeparators(dir.filePath("bin/bank1.bin")) + "\". ";
    QVERIFY2(failure.error().startsWith(expectedStart), qPrintable(failure.error()));
    QVERIFY(failure.error().size() > expectedStart.size()); // the system's reason follows
    const Result<> cFailure = SaveImageC(image, dir.path());
    QVERIFY(!cFailure);
    QVERIFY(cFailure.error().startsWith(
        "Cannot create file \"" + QDir::toNativeSeparators(dir.filePath("bin/bankg.c")) + "\". "));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"pargen.xml"});

    // "bin" as a file instead of a folder fails the same way.
    writeFile(dir.filePath("bin"), "not a folder");
    QVERIFY(!ComposeAndSaveImage(image, dir.filePath("pargen.xml"), dir.path(), fixedStamp));
}

void TestImageWriters::failedCompositionWritesNothing_data() {
    QTest::addColumn<QByteArray>("pargen");
    QTest::newRow("missing pargen.xml") << QByteArray();
    QTest::newRow("not well-formed") << QByteArray("<General_Parameter>");
    QTest::newRow("element missing") << QByteArray(kPargen).replace("<MODE>1</MODE>", "");
    QTest::newRow("not an integer") << QByteArray(kPargen).replace("<BAUD>6<", "<BAUD>abc<");
}

void TestImageWriters::failedCompositionWritesNothing() {
    QFETCH(QByteArray, pargen);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("bin"));
    if (!pargen.isEmpty())
        writeFile(dir.filePath("pargen.xml"), pargen);
    // The files of an earlier update stay exactly as they were: nothing half-filled replaces them.
    writeFile(dir.filePath("bin/bank1.bin"), QByteArray(16384, '\x11'));
    ConfigImage image;
    const Result<> failure =
        ComposeAndSaveImage(image, dir.filePath("pargen.xml"), dir.path(), fixedStamp);
    QVERIFY(!failure);
    QVERIFY2(failure.error().contains(QDir::toNativeSeparators(dir.filePath("pargen.xml"))),
             qPrintable(failure.error()));
    QCOMPARE(readFile(dir.filePath("bin/bank1.bin")), QByteArray(16384, '\x11'));
    QVERIFY(!QFile::exists(dir.filePath("bin/bankg.c")));
}

QTEST_GUILESS_MAIN(TestImageWriters)
#include "test_imagewriters.moc"
