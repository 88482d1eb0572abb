// The project check: one small project per finding, the exact line it prints and the exit
// status of `quenzor-cli check`.
#include "CliRun.h"

#include "check/ProjectCheck.h"

#include <QTemporaryDir>
#include <QTest>

class TestCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findings_data();
    void findings();
};

namespace {

QByteArray varRows(const QList<QByteArray>& rows) {
    QByteArray xml = "<TCP_TO_RTU>";
    for (const QByteArray& r : rows) {
        const QList<QByteArray> v = r.split(',');
        xml += "<row DATA_TYPE=\"" + v[0] + "\" TCP_ADDRESS=\"" + v[1] + "\" RTU_ADD_DEV=\"" +
               v[2] + "\" RTU_ADDRESS=\"" + v[3] + "\" N_POINT=\"" + v[4] + "\" MNEMONIC=\"m\"/>";
    }
    return xml + "</TCP_TO_RTU>";
}

} // namespace

void TestCheck::findings_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text"); // for pargen.xml: "ELEMENT=value" replaced
    QTest::addColumn<QString>("line");    // empty: no finding
    QTest::addColumn<int>("status");
    QTest::newRow("clean") << "" << QByteArray() << "" << 0;
    QTest::newRow("octet out of range")
        << "pargen.xml" << QByteArray("TCP_GAT4=256")
        << "error pargen.xml: TCP_GAT4 256 is not between 0 and 255; "
           "General Parameter refuses it."
        << 1;
    QTest::newRow("port out of range")
        << "pargen.xml" << QByteArray("TCP_PORT=70000")
        << "error pargen.xml: TCP_PORT 70000 is not between 0 and 65535." << 1;
    QTest::newRow("bits cut")
        << "pargen.xml" << QByteArray("OFFSET=65536")
        << "warning pargen.xml: OFFSET 65536 does not fit the image's 16 bits; "
           "it is stored as 0."
        << 3;
    QTest::newRow("community cut")
        << "pargen.xml" << QByteArray("SNMP_PUBLIC=abcdefghijklmn")
        << "warning pargen.xml: SNMP_PUBLIC \"abcdefghijklmn\" is longer "
           "than 13 characters; the image keeps the first 13."
        << 3;
    QTest::newRow("mode code") << "pargen.xml" << QByteArray("MODE=2")
                               << "warning pargen.xml: MODE 2 is no mode code (0 or 1)." << 3;
    QTest::newRow("not integer") << "pargen.xml" << QByteArray("BAUD=x")
                                 << "error pargen.xml: BAUD: 'x' is not a valid integer value."
                                 << 1;
    QTest::newRow("tcp overlap")
        << "var.xml" << varRows({"3,0,1,0,10", "3,9,2,0,1"})
        << "error var.xml row 2: TCP addresses 9 to 9 overlap row 1 of the "
           "same data type."
        << 1;
    QTest::newRow("tcp apart by type")
        << "var.xml" << varRows({"3,0,1,0,10", "4,0,2,0,10"}) << "" << 0;
    QTest::newRow("rtu overlap")
        << "var.xml" << varRows({"3,0,1,0,10", "3,10,1,5,10"})
        << "warning var.xml row 2: RTU addresses 5 to 14 of device 1 overlap "
           "row 1 of the same data type."
        << 3;
    QTest::newRow("zero points")
        << "var.xml" << varRows({"3,0,1,0,0"})
        << "warning var.xml row 1: The row has 0 points: it translates nothing." << 3;
    QTest::newRow("sdo twice on one side")
        << "sdo.xml"
        << QByteArray(
               "<sdo><row conf=\"1\" IndexA=\"$10\" SubindexA=\"2\" devIDB=\"1\" IndexB=\"1\" "
               "SubindexB=\"1\" nbyteB=\"1\"/><row conf=\"17\" IndexA=\"16\" SubindexA=\"2\" "
               "devIDB=\"1\" IndexB=\"1\" SubindexB=\"1\" nbyteB=\"1\"/></sdo>")
        << "error sdo.xml row 2: Virtual index 16 subindex 2 is used by row 1 too (CAN B to CAN A)."
        << 1;
    QTest::newRow("sdo once per side")
        << "sdo.xml"
        << QByteArray(
               "<sdo><row conf=\"1\" IndexA=\"16\" SubindexA=\"2\" devIDB=\"1\" IndexB=\"1\" "
               "SubindexB=\"1\" nbyteB=\"1\"/><row conf=\"0\" IndexA=\"16\" SubindexA=\"2\" "
               "devIDB=\"1\" IndexB=\"1\" SubindexB=\"1\" nbyteB=\"1\"/></sdo>")
        << "" << 0;
    QTest::newRow("cobid beyond 29 bits")
        << "rpdodef.xml"
        << QByteArray("<rpdodef><row cobid=\"$20000000\" id_dev_orig=\"1\" en_bypass=\"0\" "
                      "posind=\"0\" n_tpdo=\"1\"/></rpdodef>")
        << "error rpdodef.xml row 1: COB-ID $20000000 does not fit 29 bits." << 1;
}

void TestCheck::findings() {
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(QString, line);
    QFETCH(int, status);
    QTemporaryDir dir;
    const QString project = dir.filePath("P");
    QVERIFY(runCli({"new-project", project}).status == 0);
    if (file == "pargen.xml") {
        QFile f(project + "/pargen.xml");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString xml = QString::fromUtf8(f.readAll());
        f.close();
        const QString element = QString::fromUtf8(text.split('=')[0]);
        xml.replace(QRegularExpression(QString("<%1>[^<]*</%1>").arg(element)),
                    QString("<%1>%2</%1>").arg(element, QString::fromUtf8(text.split('=')[1])));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(xml.toUtf8());
    } else if (!file.isEmpty()) {
        QFile f(project + "/" + file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QStringList lines;
    for (const Finding& f : CheckProject(project))
        lines << FindingLine(f);
    QCOMPARE(lines, line.isEmpty() ? QStringList() : QStringList{line});
    QCOMPARE(runCli({"check", project}).status, status);
}

QTEST_GUILESS_MAIN(TestCheck)
#include "test_check.moc"
