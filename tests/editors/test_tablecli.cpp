#include "CliRun.h"
#include "TestSupport.h"
#include "XlsFixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kPdoRow = "<row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"3\" posind=\"0\" "
                           "n_tpdo=\"1\"/>";

// Files a case starts from; "<dir>" makes a folder.
using Files = QMap<QString, QByteArray>;

} // namespace

class TestTableCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void contract_data();
    void contract();
    void usage_data();
    void usage();
    void showPrintsRows();

private:
    QTemporaryDir books;
    QString good, goodXlsx, goodOds, noSheet, emptyDirection, storeLeftOut, wordLeftOut, emcyGood;
};

void TestTableCli::initTestCase() {
    const QVariantList head{"cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"};
    good = books.filePath("good.xls");
    noSheet = books.filePath("nosheet.xls");
    emptyDirection = books.filePath("empty.xls");
    const std::vector<XlsSheet> goodSheets{
        {"RPDODEF", {head, {"0x182", 2, 1, 0, 1}, {"0x181", 1, 0, 0, 1}}}};
    QVERIFY(MakeXls(good, goodSheets));
    goodXlsx = books.filePath("good.xlsx");
    goodOds = books.filePath("good.ods");
    QVERIFY(MakeWorkbook(goodXlsx, goodSheets));
    QVERIFY(MakeWorkbook(goodOds, goodSheets));
    QVERIFY(MakeXls(noSheet, {{"pdo", {head, {1, 1, 1, 1, 1}}}}));
    QVERIFY(MakeXls(emptyDirection, {{"rpdodef", {head, {1, 1, 1, 1, 1}, {2, 2, {}, 2, 2}}}}));
    storeLeftOut = books.filePath("store.xls");
    QVERIFY(MakeXls(storeLeftOut, {{"sdopdo", {{"h"}, {1, 1, 1, 0}, {2, 2, 5, 0}}}}));
    wordLeftOut = books.filePath("word.xls");
    QVariantList word{1, 1, 2, 5};
    for (int i = 0; i < 48; ++i)
        word << i;
    QVERIFY(MakeXls(wordLeftOut, {{"emcyword", {{"h"}, word}}}));
    emcyGood = books.filePath("emcy.xls");
    QVERIFY(MakeXls(emcyGood, {{"emcydef", {{"h"}, {9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 39}}}}));
}

void TestTableCli::contract_data() {
    QTest::addColumn<QStringList>("args"); // %book% stands for a workbook, %dir% the project
    QTest::addColumn<Files>("files");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<Files>("written"); // beside the files it started from

    const QString notFound = "quenzor-cli: File XML not found";
    const Files pdo{{"rpdodef.xml", "<rpdodef>" + kPdoRow + "</rpdodef>"}};
    QTest::newRow("show, no file")
        << QStringList{"show", "rpdodef"} << Files{} << 0 << QStringList{notFound} << Files{};
    QTest::newRow("save, no file") << QStringList{"save", "sdo"} << Files{} << 0 << QStringList{}
                                   << Files{{"sdo.xml", "<sdo/>"}};
    QTest::newRow("save again") << QStringList{"save", "rpdodef"} << pdo << 0 << QStringList{}
                                << pdo;
    QTest::newRow("export") << QStringList{"export", "rpdodef"} << pdo << 0 << QStringList{}
                            << Files{{"rpdodef.csv",
                                      "cobid,id_dev_orig,00,posind,n_tpdo,\r\n0x181,1,01,0,1,\r\n" +
                                          QByteArray(",,00,,,\r\n").repeated(9) +
                                          "cobid,id_dev_orig,10,posind,n_tpdo,\r\n" +
                                          QByteArray(",,10,,,\r\n").repeated(10)}};
    for (const char* book : {"%good%", "%goodxlsx%", "%goodods%"})
        QTest::addRow("import into a fresh project from %s", book)
            << QStringList{"import", "rpdodef", "%dir%", book} << Files{} << 0
            << QStringList{notFound}
            << Files{{"rpdodef.xml",
                      "<rpdodef><row cobid=\"0x181\" id_dev_orig=\"1\" en_bypass=\"2\" "
                      "posind=\"0\" n_tpdo=\"1\"/><row cobid=\"0x182\" id_dev_orig=\"2\" "
                      "en_bypass=\"3\" posind=\"0\" n_tpdo=\"1\"/></rpdodef>"}};

    // Failures: exit 1, every file as it was.
    const Files badKey{{"rpdodef.xml", "<rpdodef><row cobid=\"abc\" id_dev_orig=\"1\" "
                                       "en_bypass=\"3\" posind=\"0\" n_tpdo=\"1\"/></rpdodef>"}};
    QTest::newRow("save, key not integer")
        << QStringList{"save", "rpdodef"} << badKey << 1
        << QStringList{"quenzor-cli: 'abc' is not a valid integer value"} << Files{};
    const Files unreadable{{"sdo.xml", "<sdo><row conf=\"0\"/></sdo>"}};
    const QStringList readError{
        "quenzor-cli: Error in reading file XML",
        "quenzor-cli: Row 1 of \"%dir%/sdo.xml\" has no attribute \"IndexA\". The table shows "
        "no rows of it; OK asks before replacing the file."};
    for (const char* verb : {"show", "save", "export"})
        QTest::addRow("%s, reading error", verb)
            << QStringList{verb, "sdo"} << unreadable << 1 << readError << Files{};
    QTest::newRow("import, reading error") << QStringList{"import", "sdo", "%dir%", "%good%"}
                                           << unreadable << 1 << readError << Files{};
    const Files gap{{"rpdodef.xml", "<rpdodef>" + kPdoRow +
                                        "<row cobid=\"\" id_dev_orig=\"5\" en_bypass=\"3\" "
                                        "posind=\"0\" n_tpdo=\"1\"/></rpdodef>"}};
    QTest::newRow("save would drop a filled row")
        << QStringList{"save", "rpdodef"} << gap << 1
        << QStringList{"quenzor-cli: Row 1 of \"PDO From CanA to CanB\" has no cobid, so it and "
                       "the rows below it are not saved. Save anyway?"}
        << Files{};
    QTest::newRow("export, file cannot be written")
        << QStringList{"export", "rpdodef"} << Files{{"rpdodef.csv", "<dir>"}} << 1
        << QStringList{notFound, "quenzor-cli: Cannot create file \"%dir%/rpdodef.csv\". *"}
        << Files{};
    QTest::newRow("import, no such sheet")
        << QStringList{"import", "rpdodef", "%dir%", "%nosheet%"} << pdo << 1
        << QStringList{"quenzor-cli: Import stopped: \"%nosheet%\" has no sheet named "
                       "\"rpdodef\"."}
        << Files{};
    QTest::newRow("import, not a workbook")
        << QStringList{"import", "rpdodef", "%dir%", "%dir%/rpdodef.xml"} << pdo << 1
        << QStringList{"quenzor-cli: Import stopped: \"%dir%/rpdodef.xml\" is not an Excel "
                       "workbook (.xls)."}
        << Files{};
    QTest::newRow("import, empty direction cell")
        << QStringList{"import", "rpdodef", "%dir%", "%empty%"} << Files{} << 1
        << QStringList{notFound, "quenzor-cli: Import stopped at row 3 of the sheet \"rpdodef\": "
                                 "the \"en_bypass\" cell is empty."}
        << Files{};
    // The other three tables keep the same contract.
    const QStringList storeNotFound{"quenzor-cli: File SDO XML not found",
                                    "quenzor-cli: File PDO XML not found",
                                    "quenzor-cli: File SDOPDO XML not found"};
    QTest::newRow("save sdopdo, no files") << QStringList{"save", "sdopdo"} << Files{} << 0
                                           << storeNotFound << Files{{"sdopdo.xml", "<sdopdo/>"}};
    const QByteArray onePdo = "<rpdodef><row cobid=\"0x181\" en_bypass=\"0\"/></rpdodef>";
    const Files leftOut{{"rpdodef.xml", onePdo},
                        {"sdopdo.xml", "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"1\" "
                                       "poscomp=\"0\"/><row index=\"2\" subindex=\"2\" "
                                       "nrpdo=\"130\" poscomp=\"0\"/></sdopdo>"}};
    const QString storeLeft = "quenzor-cli: 1 entry of \"%dir%/sdopdo.xml\" was left out: the PDO "
                              "table has no CAN B PDO 2. OK asks before it writes the table "
                              "without it.";
    for (const char* verb : {"show", "save"})
        QTest::addRow("%s sdopdo, an entry of a PDO the PDO table lacks", verb)
            << QStringList{verb, "sdopdo"} << leftOut << 1
            << QStringList{"quenzor-cli: File SDO XML not found", storeLeft} << Files{};
    QTest::newRow("import sdopdo, a record of a PDO the PDO table lacks")
        << QStringList{"import", "sdopdo", "%dir%", "%store%"}
        << Files{{"rpdodef.xml", onePdo}, {"sdo.xml", "<sdo/>"}} << 1
        << QStringList{"quenzor-cli: File SDOPDO XML not found",
                       "quenzor-cli: Import left out 1 record of the sheet \"sdopdo\": row 3: the "
                       "\"nrpdo\" value 5 names CAN A PDO 5, which the PDO table does not have."}
        << Files{};
    QByteArray word = "<emcyword><row index_addrm=\"1\" subindex=\"1\" extdata=\"2\" devid=\"5\"";
    for (int n = 0; n < 16; ++n)
        word += QStringLiteral(" bit%1_b0=\"\" bit%1_b1=\"\" bit%1_poscomp=\"0\"").arg(n).toUtf8();
    word += "/></emcyword>";
    QTest::newRow("save emcyword, extdata 2")
        << QStringList{"save", "emcyword"} << Files{{"emcyword.xml", word}} << 1
        << QStringList{"quenzor-cli: 1 row of \"%dir%/emcyword.xml\" was left out: its "
                       "\"extdata\" is neither 0 nor 1 (row 1). OK asks before it writes the "
                       "table without it."}
        << Files{};
    QTest::newRow("import emcyword, extdata 2")
        << QStringList{"import", "emcyword", "%dir%", "%word%"} << Files{} << 1
        << QStringList{"quenzor-cli: File XML not found",
                       "quenzor-cli: Import left out 1 record of the sheet \"emcyword\": row 2: "
                       "the \"extdata\" cell \"2\" is neither 0 nor 1."}
        << Files{};
    QTest::newRow("import emcydef")
        << QStringList{"import", "emcydef", "%dir%", "%emcy%"} << Files{} << 0
        << QStringList{"quenzor-cli: File XML not found"}
        << Files{{"emcydef.xml", "<emcydef><row id_dev=\"9\" mask_eq_ec=\"1\" "
                                 "mask_eq_er=\"2\" mask_eq_m1=\"3\" mask_eq_m2=\"4\" "
                                 "mask_eq_m3=\"5\" enmask_eq_ec=\"6\" "
                                 "enmask_eq_er=\"7\" enmask_eq_m1=\"8\" "
                                 "enmask_eq_m2=\"9\" enmask_eq_m3=\"10\" "
                                 "bypass_set=\"39\"/></emcydef>"}};
    QTest::newRow("export emcyword, empty")
        << QStringList{"export", "emcyword"} << Files{} << 0
        << QStringList{"quenzor-cli: File XML not found"} << Files{{"emcyword.csv", ""}};
    QTest::newRow("not a folder") << QStringList{"save", "sdo", "%dir%/none"} << Files{} << 1
                                  << QStringList{"quenzor-cli: \"%dir%/none\" is not a folder."}
                                  << Files{};
}

void TestTableCli::contract() {
    QFETCH(QStringList, args);
    QFETCH(Files, files);
    QFETCH(int, status);
    QFETCH(QStringList, messages);
    QFETCH(Files, written);
    QTemporaryDir project;
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (it.value() == "<dir>")
            QVERIFY(QDir(project.path()).mkdir(it.key()));
        else
            writeFile(project.filePath(it.key()), it.value());
    }
    const auto expand = [&](QString text) {
        return text.replace("%dir%", project.path())
            .replace("%goodxlsx%", goodXlsx)
            .replace("%goodods%", goodOds)
            .replace("%good%", good)
            .replace("%nosheet%", noSheet)
            .replace("%empty%", emptyDirection)
            .replace("%store%", storeLeftOut)
            .replace("%word%", wordLeftOut)
            .replace("%emcy%", emcyGood);
    };
    if (args.size() == 2)
        args << "%dir%";
    for (QString& a : args)
        a = expand(a);
    const auto before = folderSnapshot(project.path());
    const CliRun run = runCli(QStringList{"table"} + args);
    QCOMPARE(run.status, status);
    QStringList err = run.err.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(err.size(), messages.size());
    for (qsizetype i = 0; i < err.size(); ++i) {
        const QString want = expand(messages[i]);
        if (want.endsWith('*'))
            QVERIFY2(err[i].startsWith(want.chopped(1)), qPrintable(err[i]));
        else
            QCOMPARE(err[i], want);
    }
    auto expected = before;
    for (auto it = written.begin(); it != written.end(); ++it)
        expected["/" + it.key()] = it.value();
    QCOMPARE(folderSnapshot(project.path()), expected);
}

void TestTableCli::usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("nothing") << QStringList{} << 2;
    QTest::newRow("unknown verb") << QStringList{"load", "sdo", "."} << 2;
    QTest::newRow("unknown table") << QStringList{"save", "SDO", "."} << 2;
    QTest::newRow("import without workbook") << QStringList{"import", "sdo", "."} << 2;
    QTest::newRow("save with workbook") << QStringList{"save", "sdo", ".", "x.xls"} << 2;
}

void TestTableCli::usage() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QTemporaryDir project;
    const auto before = folderSnapshot(project.path());
    const CliRun run = runCli(QStringList{"table"} + args);
    QCOMPARE(run.status, status);
    QVERIFY((status == 0 ? run.out : run.err).startsWith("usage: quenzor-cli table VERB"));
    QCOMPARE(folderSnapshot(project.path()), before);
}

void TestTableCli::showPrintsRows() {
    QTemporaryDir project;
    writeFile(project.filePath("rpdodef.xml"), "<rpdodef>" + kPdoRow + "</rpdodef>");
    const CliRun run = runCli({"table", "show", "rpdodef", project.path()});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString("PDO From CanA to CanB: 1 row\n"
                              "N°  cobid  id_dev_orig  en_traslate  posid  n_tPDO\n"
                              "0   0x181  1            1            0      1\n"
                              "\n"
                              "PDO From CanB to CanA: 0 rows\n"));
}

QTEST_GUILESS_MAIN(TestTableCli)
#include "test_tablecli.moc"
