#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(QUENZOR_PROGRAM_DIR "/quenzor-cli"), args);
    if (!p.waitForFinished(30000))
        qFatal("quenzor-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

class TestXmlCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tree_data();
    void tree();
    void syntaxError_data();
    void syntaxError();
    void unreadableFile();
};

void TestXmlCli::tree_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("out");

    QTest::newRow("price") << QByteArray("<price>12</price>")
                           << QByteArray("File: in.xml\n  price = 12\n");
    QTest::newRow("depth first in child order")
        << QByteArray("<?xml version='1.0'?><?p d?><a x='1'><b><c/></b><?q?></a><?z?>")
        << QByteArray(
               "File: in.xml\n  XMLDeclaration\n    version = 1.0\n  pProcessingInstruction = d\n"
               "  a\n    x = 1\n    b\n      c\n    qProcessingInstruction\n"
               "  zProcessingInstruction\n");
    QTest::newRow("backslash, LF and CR escaped, other bytes raw")
        << QByteArray("<a b='x&#13;y' c='\t'>c:\\d\nline \xE9</a>")
        << QByteArray("File: in.xml\n  a = c:\\\\d\\nline \xE9\n    b = x\\ry\n    c = \t\n");
    QTest::newRow("whole text <a/>") << QByteArray("<a/>") << QByteArray("File: in.xml\n  a\n");
}

void TestXmlCli::tree() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, out);
    QTemporaryDir dir;
    const Run run = runCli({QStringLiteral("xml-tree"),
                            writeFileOrAbort(dir.path() + QStringLiteral("/in.xml"), text)});
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, out);
}

void TestXmlCli::syntaxError_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("mismatch") << QByteArray("<a></b>")
                              << QByteArray(
                                     "End tag name \"b\" does not match start tag name \"a\"\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray("Unexpected end of data\n");
    QTest::newRow("error after output could start")
        << QByteArray("<a><b/><c>&bad;</c></a>") << QByteArray("Unrecognized reference\n");
}

void TestXmlCli::syntaxError() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    const Run run = runCli({QStringLiteral("xml-tree"),
                            writeFileOrAbort(dir.path() + QStringLiteral("/in.xml"), text)});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, message);
}

void TestXmlCli::unreadableFile() {
    QTemporaryDir dir;
    const Run run = runCli({QStringLiteral("xml-tree"), dir.path() + QStringLiteral("/none.xml")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith("Cannot open file \""), run.err.constData());

    const Run noArgs = runCli({QStringLiteral("xml-tree")});
    QCOMPARE(noArgs.exitCode, 2);
    QCOMPARE(noArgs.out, QByteArray());
}

QTEST_GUILESS_MAIN(TestXmlCli)
#include "test_xmlcli.moc"
