// The project check: one small project per finding, the exact line it prints and the exit
// status of `quenzor-cli check`.
#include "CliRun.h"

#include "check/ProjectCheck.h"
#include "editors/EmcyTable.h"
#include "editors/EmcyWordTable.h"

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

// "id,bypass_set" per row, every mask "0".
QByteArray emcyRows(const QList<QByteArray>& rows) {
    QByteArray xml = "<emcydef>";
    for (const QByteArray& r : rows) {
        const QList<QByteArray> v = r.split(',');
        xml += "<row";
        for (int a = 0; a < EmcyAttributes().size(); ++a)
            xml += " " + EmcyAttributes()[a].toUtf8() + "=\"" +
                   (a == 0                 ? v[0]
                    : a == kEmcyTextFields ? v[1]
                                           : "0") +
                   "\"";
        xml += "/>";
    }
    return xml + "</emcydef>";
}

// "index_addrm,subindex,devid,extdata" per row, every bit empty.
QByteArray wordRows(const QList<QByteArray>& rows) {
    QByteArray xml = "<emcyword>";
    for (const QByteArray& r : rows) {
        const QList<QByteArray> v = r.split(',');
        const QByteArray values[] = {v[0], v[1], v[3], v[2]};
        xml += "<row";
        for (int a = 0; a < EmcyWordAttributes().size(); ++a)
            xml += " " + EmcyWordAttributes()[a].toUtf8() + "=\"" + (a < 4 ? values[a] : "") + "\"";
        xml += "/>";
    }
    return xml + "</emcyword>";
}

// One "row" per "attribute=value ..." text.
QByteArray tableRows(const char* table, const QList<QByteArray>& rows) {
    QByteArray xml = QByteArray("<") + table + ">";
    for (const QByteArray& r : rows) {
        xml += "<row";
        for (const QByteArray& pair : r.split(' '))
            xml += " " + pair.split('=')[0] + "=\"" + pair.split('=')[1] + "\"";
        xml += "/>";
    }
    return xml + "</" + table + ">";
}

QByteArray pdoRows(const QList<QByteArray>& enBypass) {
    QList<QByteArray> rows;
    for (int i = 0; i < enBypass.size(); ++i)
        rows << "cobid=" + QByteArray::number(0x181 + i) +
                    " id_dev_orig=1 en_bypass=" + enBypass[i] + " posind=0 n_tpdo=1";
    return tableRows("rpdodef", rows);
}

// "index,subindex,nrpdo,poscomp" per row.
QByteArray storeRows(const QList<QByteArray>& rows) {
    QList<QByteArray> out;
    for (const QByteArray& r : rows) {
        const QList<QByteArray> v = r.split(',');
        out << "index=" + v[0] + " subindex=" + v[1] + " nrpdo=" + v[2] + " poscomp=" + v[3];
    }
    return tableRows("sdopdo", out);
}

} // namespace

void TestCheck::findings_data() {
    QTest::addColumn<QString>("file");
    // For pargen.xml: "ELEMENT=value" replaced. Several files: their names joined by ",", their
    // texts by "\n".
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("line"); // empty: no finding
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
    // The store PDO editor's CAN A side holds the PDOs from CAN B to CAN A ("en_bypass" 0).
    QTest::newRow("store pdo missing")
        << "rpdodef.xml,sdopdo.xml" << pdoRows({"2"}) + "\n" + storeRows({"$2000,1,1,33"})
        << "error sdopdo.xml row 1: nrpdo 1 names CAN A PDO 1, but rpdodef.xml has no PDO from "
           "CAN B to CAN A; the store PDO editor leaves the row out."
        << 1;
    QTest::newRow("store pdo byte twice")
        << "rpdodef.xml,sdopdo.xml"
        << pdoRows({"0"}) + "\n" + storeRows({"$2000,1,1,33", "$2000,2,1,50"})
        << "error sdopdo.xml row 2: PDO byte B2 of CAN A PDO 1 is written by row 1 too." << 1;
    QTest::newRow("store pdo bytes apart")
        << "rpdodef.xml,sdopdo.xml"
        << pdoRows({"2", "0"}) + "\n" +
               storeRows(
                   {"$2000,1,1,33", "$2000,2,1,67", "$2000,3,1,5", "$2000,4,1,6", "$2000,1,129,33"})
        << "" << 0;
    QTest::newRow("store pdo one byte for both")
        << "rpdodef.xml,sdopdo.xml" << pdoRows({"0"}) + "\n" + storeRows({"$2000,1,1,17"})
        << "error sdopdo.xml row 1: The high and the low byte both go to PDO byte B1." << 1;
    QTest::newRow("store pdo entry twice")
        << "rpdodef.xml,sdopdo.xml"
        << pdoRows({"0", "0"}) + "\n" + storeRows({"$2000,1,1,33", "8192,1,2,33"})
        << "error sdopdo.xml row 2: Index 8192 subindex 1 is stored by row 1 too (CAN A)." << 1;
    QTest::newRow("store pdo entry is an sdo")
        << "sdo.xml,rpdodef.xml,sdopdo.xml"
        << tableRows("sdo", {"conf=17 IndexA=8192 SubindexA=1 devIDB=1 IndexB=1 SubindexB=1 "
                             "nbyteB=2"}) +
               "\n" + pdoRows({"2"}) + "\n" + storeRows({"$2000,1,129,33"})
        << "error sdopdo.xml row 1: Index $2000 subindex 1 is a virtual SDO of sdo.xml row 1 (CAN "
           "B to CAN A)."
        << 1;
    QTest::newRow("emcy id out of range")
        << "emcydef.xml" << emcyRows({"128,0"})
        << "error emcydef.xml row 1: EMCY ID 128 is not between 1 and 127." << 1;
    QTest::newRow("emcy id twice")
        << "emcydef.xml" << emcyRows({"5,1", "0x5,0"})
        << "error emcydef.xml row 2: EMCY ID 0x5 is used by row 1 too (from CAN A)." << 1;
    QTest::newRow("emcy id once per side")
        << "emcydef.xml" << emcyRows({"5,1", "5,33", "127,0"}) << "" << 0;
    QTest::newRow("emcy word twice")
        << "emcyword.xml" << wordRows({"$2000,1,5,1", "8192,1,5,1"})
        << "error emcyword.xml row 2: The word of index 8192 subindex 1 and device 5 is defined "
           "by row 1 too (CAN B)."
        << 1;
    QTest::newRow("emcy word keys apart")
        << "emcyword.xml" << wordRows({"$2000,1,5,0", "$2000,1,5,1", "$2000,1,6,0", "$2000,2,5,0"})
        << "" << 0;
    QTest::newRow("emcy word dropped")
        << "emcyword.xml" << wordRows({"$2000,1,5,2"})
        << "warning emcyword.xml row 1: extdata 2 is neither 0 (CAN A) nor 1 (CAN B): the EMCY "
           "word editor drops the row at its next save."
        << 3;
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
        const QStringList files = file.split(',');
        const QList<QByteArray> texts = text.split('\n');
        QCOMPARE(texts.size(), files.size());
        for (int i = 0; i < files.size(); ++i) {
            QFile f(project + "/" + files[i]);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(texts[i]);
        }
    }
    QStringList lines;
    for (const Finding& f : CheckProject(project))
        lines << FindingLine(f);
    QCOMPARE(lines, line.isEmpty() ? QStringList() : QStringList{line});
    QCOMPARE(runCli({"check", project}).status, status);
}

QTEST_GUILESS_MAIN(TestCheck)
#include "test_check.moc"
