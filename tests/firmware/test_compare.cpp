// verify and diff: each configuration field changed alone is named, the time stamp never is,
// and the exit codes tell the same, different and unreadable apart.
#include "CliRun.h"
#include "FirmwareTestData.h"

#include "firmware/ImageSource.h"

#include <QTemporaryDir>
#include <QTest>

using namespace testdata;

class TestCompare : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneFieldChanged_data();
    void oneFieldChanged();
    void verifyExitCodes();
};

void TestCompare::oneFieldChanged_data() {
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("field"); // empty: no difference
    QTest::newRow("ip") << "TCP_IP2"
                        << "7"
                        << "IP address";
    QTest::newRow("mask") << "TCP_SUB4"
                          << "128"
                          << "Subnet mask";
    QTest::newRow("gateway") << "TCP_GAT1"
                             << "10"
                             << "Default gateway";
    QTest::newRow("port") << "TCP_PORT"
                          << "1502"
                          << "TCP port";
    QTest::newRow("public") << "SNMP_PUBLIC"
                            << "other"
                            << "SNMP public";
    QTest::newRow("private") << "SNMP_PRIVATE"
                             << "x"
                             << "SNMP private";
    QTest::newRow("baud") << "BAUD"
                          << "3"
                          << "Baud rate";
    QTest::newRow("parity") << "PARITY"
                            << "2"
                            << "Parity";
    QTest::newRow("time-out") << "TIME_OUT"
                              << "250"
                              << "Time-out";
    QTest::newRow("offset") << "OFFSET"
                            << "40001"
                            << "Offset";
    QTest::newRow("mode") << "MODE"
                          << "0"
                          << "Mode";
    QTest::newRow("same value, other text") << "TCP_PORT"
                                            << "$1F6"
                                            << "";
}

void TestCompare::oneFieldChanged() {
    QFETCH(QString, element);
    QFETCH(QString, value);
    QFETCH(QString, field);
    QTemporaryDir dir;
    QVERIFY(runCli({"new-project", dir.filePath("A")}).status == 0);
    QVERIFY(runCli({"new-project", dir.filePath("B")}).status == 0);
    QByteArray pargen = readFile(dir.filePath("B/pargen.xml"));
    const QRegularExpression old(QStringLiteral("<%1>[^<]*</%1>").arg(element));
    QString text = QString::fromUtf8(pargen);
    text.replace(old, QStringLiteral("<%1>%2</%1>").arg(element, value));
    QVERIFY(writeFile(dir.filePath("B/pargen.xml"), text.toUtf8()));
    const Result<ImageSource> a = LoadImageSource(dir.filePath("A"));
    const Result<ImageSource> b = LoadImageSource(dir.filePath("B"));
    QVERIFY(a && b);
    const QList<FieldDifference> d = CompareImages(a->image, b->image);
    QCOMPARE(d.size(), field.isEmpty() ? 0 : 1);
    if (!field.isEmpty())
        QCOMPARE(d.first().field, field);
}

void TestCompare::verifyExitCodes() {
    QTemporaryDir dir;
    QVERIFY(runCli({"new-project", dir.filePath("A")}).status == 0);
    QVERIFY(runCli({"compose", dir.filePath("A")}).status == 0);
    const QString bank = dir.filePath("A/bin/bank1.bin");
    QCOMPARE(runCli({"verify", dir.filePath("A"), bank}).status, 0);
    // Another composition time changes nothing that is compared.
    QProcessEnvironment later;
    later.insert("SOURCE_DATE_EPOCH", "1900000000");
    QCOMPARE(runCli({"verify", dir.filePath("A"), bank}, later).status, 0);
    QByteArray image = readFile(bank);
    image[15003] = 9;
    QVERIFY(writeFile(dir.filePath("other.bin"), image));
    const CliRun different = runCli({"verify", dir.filePath("A"), dir.filePath("other.bin")});
    QCOMPARE(different.status, 1);
    QVERIFY2(different.out.contains("IP address: 0.0.0.0 in the project, 0.0.0.9 in the firmware"),
             qPrintable(different.out));
    QVERIFY(writeFile(dir.filePath("short.bin"), "abc"));
    QCOMPARE(runCli({"diff", bank, dir.filePath("short.bin")}).status, 4);
    QCOMPARE(runCli({"diff", bank}).status, 2);
}

QTEST_GUILESS_MAIN(TestCompare)
#include "test_compare.moc"
