// Fleets: each row of a sites table either becomes a whole project with its values, or fails
// with its line and reason and leaves nothing behind.
#include "CliRun.h"

#include "fleet/SiteClone.h"
#include "parameters/GeneralParameters.h"
#include "project/ProjectLayout.h"

#include <QTemporaryDir>
#include <QTest>

class TestClone : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows_data();
    void rows();
    void tableRefused_data();
    void tableRefused();
};

namespace {

QString writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(text);
    return path;
}

} // namespace

void TestClone::rows_data() {
    QTest::addColumn<QByteArray>("row");  // under "name,TCP_IP4,TCP_PORT,SNMP_PUBLIC,BAUD"
    QTest::addColumn<QString>("failure"); // empty: made
    QTest::addColumn<QByteArray>("var");  // the template's var.xml; empty: as made
    QTest::addColumn<QString>("warning"); // a made site's expected warning
    QTest::newRow("good") << QByteArray("s1,11,502,pub,7") << "" << QByteArray() << QString();
    const QByteArray row = "<row DATA_TYPE=\"3\" TCP_ADDRESS=\"%1\" RTU_ADD_DEV=\"1\" "
                           "RTU_ADDRESS=\"0\" N_POINT=\"%2\" MNEMONIC=\"m\"/>";
    QTest::newRow("the template's table has an error")
        << QByteArray("s9,1,502,p,7")
        << "error var.xml row 2: TCP addresses 5 to 14 overlap row 1 of the same data type."
        << "<TCP_TO_RTU>" + QByteArray(row).replace("%1", "0").replace("%2", "10") +
               QByteArray(row).replace("%1", "5").replace("%2", "10") + "</TCP_TO_RTU>"
        << "";
    QTest::newRow("the template's warning is passed on")
        << QByteArray("s10,1,502,p,7") << ""
        << "<TCP_TO_RTU>" + QByteArray(row).replace("%1", "0").replace("%2", "0") + "</TCP_TO_RTU>"
        << "warning var.xml row 1: The row has 0 points: it translates nothing.";
    QTest::newRow("quoted cells, hex port")
        << QByteArray("\"s 2\",12,$1F6,\"a,b\",3") << "" << QByteArray() << QString();
    QTest::newRow("octet out of range")
        << QByteArray("s3,300,502,p,7") << "Error!! IP must be between 0 and 255. " << QByteArray()
        << QString();
    QTest::newRow("port not integer")
        << QByteArray("s4,1,x,p,7") << "Port Error!!" << QByteArray() << QString();
    QTest::newRow("baud code unknown")
        << QByteArray("s5,1,502,p,9") << "BAUD 9 is not a baud rate code" << QByteArray()
        << QString();
    QTest::newRow("community too long")
        << QByteArray("s6,1,502,abcdefghijklmn,7") << "SNMP_PUBLIC holds at most 13 characters"
        << QByteArray() << QString();
    QTest::newRow("climbs out") << QByteArray("../s7,1,502,p,7") << "would leave the target folder"
                                << QByteArray() << QString();
    QTest::newRow("a cell missing") << QByteArray("s8,1,502") << "3 cells where the headings name 5"
                                    << QByteArray() << QString();
}

void TestClone::rows() {
    QFETCH(QByteArray, row);
    QFETCH(QString, failure);
    QFETCH(QByteArray, var);
    QFETCH(QString, warning);
    QTemporaryDir dir;
    QVERIFY(runCli({"new-project", dir.filePath("T")}).status == 0);
    if (!var.isEmpty())
        writeText(ProjectLayout::VarPath(dir.filePath("T")), var);
    QDir().mkpath(dir.filePath("sites"));
    const QString csv = writeText(dir.filePath("sites.csv"),
                                  "name,TCP_IP4,TCP_PORT,SNMP_PUBLIC,BAUD\r\n" + row + "\r\n");
    const Result<SitesTable> table = ReadSitesTable(csv);
    QVERIFY2(table, qPrintable(table.error()));
    const CloneOptions options{dir.filePath("T"), dir.filePath("sites"), {}, false};
    const QList<SiteOutcome> outcomes = CloneSites(options, *table);
    QCOMPARE(outcomes.size(), 1);
    const SiteOutcome& o = outcomes.first();
    QCOMPARE(o.line, 2);
    if (!failure.isEmpty()) {
        QVERIFY(!o.made);
        QVERIFY2(o.detail.contains(failure), qPrintable(o.detail));
        QVERIFY(QDir(dir.filePath("sites")).isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({"T", "sites", "sites.csv"}));
        return;
    }
    QVERIFY2(o.made, qPrintable(o.detail));
    QCOMPARE(o.warnings.join('|'), warning);
    const QString project = dir.filePath("sites/" + o.name);
    const LoadedParameters p = LoadParameters(ProjectLayout::PargenPath(project));
    QCOMPARE(p.values.ip[3], table->rows[0].cells[1]);
    QCOMPARE(p.values.snmpPublic, table->rows[0].cells[3]);
    QCOMPARE(QFileInfo(ProjectLayout::BankImagePath(project)).size(), 16384);
    QVERIFY(QFileInfo::exists(ProjectLayout::VarPath(project)));
}

void TestClone::tableRefused_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("failure");
    QTest::newRow("no name column")
        << QByteArray("TCP_IP4\n1\n") << "the first column must be \"name\"";
    QTest::newRow("unknown element")
        << QByteArray("name,TCP_IP5\na,1\n") << "\"TCP_IP5\" is not a pargen.xml element";
}

void TestClone::tableRefused() {
    QFETCH(QByteArray, csv);
    QFETCH(QString, failure);
    QTemporaryDir dir;
    QVERIFY(runCli({"new-project", dir.filePath("T")}).status == 0);
    const QString path = writeText(dir.filePath("sites.csv"), csv);
    QVERIFY(ReadSitesTable(path).error().contains(failure));
    const CliRun r = runCli({"clone", dir.filePath("T"), path});
    QCOMPARE(r.status, 2);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
             QStringList({"T", "sites.csv"}));
}

QTEST_GUILESS_MAIN(TestClone)
#include "test_clone.moc"
