#include "common/RecordingPrompter.h"
#include "parameters/GeneralParameters.h"
#include "parameters/NewProjectFiles.h"
#include "parameters/TranslateTable.h"
#include "project/ProjectFolder.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

void fillRow(TranslateTableModel& m, int line, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c)
        m.setCell(line - 1, c + 1, cells[c]);
}

const QStringList kGoodRow = {"Holding Register", "100", "1", "200", "10", "pump"};

} // namespace

class TestTranslateTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        dir.reset(new QTemporaryDir);
        QVERIFY(dir->isValid());
        path = dir->filePath("var.xml");
    }

    void gridShape();
    void emptyGridSavesBareTable();
    void rowFormatAndAttributeOrder();
    void tableEndsAtFirstEmptyTcpAddress();
    void leftOutLinesAreAsked_data();
    void leftOutLinesAreAsked();
    void checks_data();
    void checks();
    void typeNameMessageNamesItsLine();
    void hexStoredAsDecimal();
    void roundTripAllDataTypes();
    void line2000IsStored();
    void loadFillsAndResets();
    void loadProblems_data();
    void loadProblems();
    void unreadFileIsReplacedOnlyAfterAsking();
    void saveFailureGoesToErrorReport();
    void unstorableMnemonicIsRefused();
    void newProjectFiles();
    void newProjectFolderRefusesExisting();

private:
    std::unique_ptr<QTemporaryDir> dir; // fresh for every test function
    QString path;
};

void TestTranslateTable::gridShape() {
    TranslateTableModel m;
    QCOMPARE(m.rowCount(), 2000);
    QCOMPARE(m.columnCount(), 7);
    const QStringList titles = {"N°",          "Data Type", "Address TCP", "Address Device RTU",
                                "Address RTU", "N° Point",  "Mnemonic"};
    for (int c = 0; c < 7; ++c)
        QCOMPARE(m.headerData(c, Qt::Horizontal).toString(), titles[c]);
    QCOMPARE(m.data(m.index(0, 0)).toString(), QString("1"));
    QCOMPARE(m.data(m.index(1999, 0)).toString(), QString("2000"));
    QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!m.setData(m.index(0, 0), "7"));
    QVERIFY(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(m.setData(m.index(5, 6), "x"));
    QCOMPARE(m.cell(5, 6), QString("x"));
}

void TestTranslateTable::emptyGridSavesBareTable() {
    TranslateTableModel m;
    RecordingPrompter prompter;
    QVERIFY(ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter));
    QVERIFY(prompter.entries.isEmpty());
    QCOMPARE(readFile(path), QByteArray("<TCP_TO_RTU/>"));
}

void TestTranslateTable::rowFormatAndAttributeOrder() {
    TranslateTableModel m;
    fillRow(m, 1, {"Coil Status", "0", "255", "65535", "127", "a\"<&>b"});
    fillRow(m, 2, {"Input Register", " 7", "+8", "x9", "0X0a", ""});
    RecordingPrompter prompter;
    QVERIFY(ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter));
    QCOMPARE(readFile(path),
             QByteArray("<TCP_TO_RTU>"
                        "<row DATA_TYPE=\"1\" TCP_ADDRESS=\"0\" RTU_ADD_DEV=\"255\" "
                        "RTU_ADDRESS=\"65535\" N_POINT=\"127\" MNEMONIC=\"a&quot;&lt;&amp;&gt;b\"/>"
                        "<row DATA_TYPE=\"4\" TCP_ADDRESS=\"7\" RTU_ADD_DEV=\"8\" "
                        "RTU_ADDRESS=\"9\" N_POINT=\"10\" MNEMONIC=\"\"/>"
                        "</TCP_TO_RTU>"));
}

void TestTranslateTable::tableEndsAtFirstEmptyTcpAddress() {
    TranslateTableModel m;
    fillRow(m, 1, kGoodRow);
    fillRow(m, 2, kGoodRow);
    fillRow(m, 3, {"Coil Status", "", "1", "2", "3", "gap"});
    fillRow(m, 4, kGoodRow);
    QList<TMyRec> rows;
    QVERIFY(ValidateTranslateTable(m, rows).ok());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(FirstLeftOutLine(m), 3);
}

void TestTranslateTable::leftOutLinesAreAsked_data() {
    QTest::addColumn<int>("leftOutLine"); // 0: nothing typed below the table
    QTest::addColumn<int>("column");      // the only typed cell of that line
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("saved");
    QTest::newRow("nothing left out") << 0 << 0 << false << true;
    QTest::newRow("mnemonic below, no") << 9 << int(ColMnemonic) << false << false;
    QTest::newRow("mnemonic below, yes") << 9 << int(ColMnemonic) << true << true;
    QTest::newRow("type in ending line") << 3 << int(ColDataType) << false << false;
    QTest::newRow("last line") << 2000 << int(ColNPoint) << true << true;
}

void TestTranslateTable::leftOutLinesAreAsked() {
    QFETCH(int, leftOutLine);
    QFETCH(int, column);
    QFETCH(bool, answer);
    QFETCH(bool, saved);

    TranslateTableModel m;
    fillRow(m, 1, kGoodRow);
    fillRow(m, 2, kGoodRow);
    if (leftOutLine)
        m.setCell(leftOutLine - 1, column, column == ColDataType ? "Coil Status" : "1");
    writeFile(path, "<TCP_TO_RTU/>");
    RecordingPrompter prompter;
    prompter.questionAnswers.enqueue(answer);
    QCOMPARE(ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter), saved);
    if (leftOutLine) {
        QCOMPARE(prompter.entries.size(), 1);
        QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::Question);
        QCOMPARE(prompter.entries[0].text,
                 QString("Line 3 has no Address TCP, so it and the lines below it are not "
                         "stored. Save anyway?"));
    } else {
        QVERIFY(prompter.entries.isEmpty());
    }
    QCOMPARE(readFile(path).count("<row "), saved ? 2 : 0);
}

void TestTranslateTable::checks_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: passes

    const QString type = "Error!! Data Type must be Holding Register or Input Register. ";
    const QString tcp = "Error!! Address TCP must be between 0 and 65535. ";
    const QString dev = "Error!! Address Device RTU must be between 0 and 255. ";
    const QString rtu = "Error!! Address RTU must be between 0 and 65535. ";
    const QString pts = "Error!! N° Point must be between 0 and 127. ";
    QTest::newRow("empty type") << int(ColDataType) << "" << type;
    for (const QString& name : kDataTypeNames)
        QTest::addRow("type %s", qPrintable(name)) << int(ColDataType) << name << "";
    QTest::newRow("tcp 65535") << int(ColTcpAddress) << "65535"
                               << "";
    QTest::newRow("tcp 65536") << int(ColTcpAddress) << "65536" << tcp;
    QTest::newRow("tcp -1") << int(ColTcpAddress) << "-1" << tcp;
    QTest::newRow("tcp blank") << int(ColTcpAddress) << " " << tcp;
    QTest::newRow("dev 255") << int(ColRtuAddDev) << "255"
                             << "";
    QTest::newRow("dev 256") << int(ColRtuAddDev) << "256" << dev;
    QTest::newRow("dev -1") << int(ColRtuAddDev) << "-1" << dev;
    QTest::newRow("dev abc") << int(ColRtuAddDev) << "abc" << dev;
    QTest::newRow("dev empty") << int(ColRtuAddDev) << "" << dev;
    QTest::newRow("rtu 0") << int(ColRtuAddress) << "0"
                           << "";
    QTest::newRow("rtu 65536") << int(ColRtuAddress) << "65536" << rtu;
    QTest::newRow("rtu abc") << int(ColRtuAddress) << "abc" << rtu;
    QTest::newRow("points 127") << int(ColNPoint) << "127"
                                << "";
    QTest::newRow("points 128") << int(ColNPoint) << "128" << pts;
    QTest::newRow("points -1") << int(ColNPoint) << "-1" << pts;
    QTest::newRow("points $7F") << int(ColNPoint) << "$7F"
                                << "";
    QTest::newRow("any mnemonic") << int(ColMnemonic) << "  ¿?  "
                                  << "";
}

void TestTranslateTable::checks() {
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, message);

    TranslateTableModel m;
    fillRow(m, 1, kGoodRow);
    fillRow(m, 2, kGoodRow);
    m.setCell(1, column, text);
    // A later row that is also wrong must not be the one reported.
    fillRow(m, 3, {"Coil Status", "1", "999", "1", "1", ""});
    writeFile(path, "<TCP_TO_RTU/>");
    RecordingPrompter prompter;
    const bool saved = ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter);
    QVERIFY(!saved);
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::Error);
    QCOMPARE(prompter.entries[0].text,
             message.isEmpty() ? QString("Error!! Address Device RTU must be between 0 and 255. ")
                               : message);
    QCOMPARE(readFile(path), QByteArray("<TCP_TO_RTU/>"));
}

void TestTranslateTable::typeNameMessageNamesItsLine() {
    TranslateTableModel m;
    fillRow(m, 1, kGoodRow);
    // Line 2 ends the table, and line 5 holds a wrong N° Point; the type check comes first.
    fillRow(m, 5, {"Coil Status", "1", "1", "1", "999", ""});
    m.setCell(16, ColDataType, "holding register");
    RecordingPrompter prompter;
    QVERIFY(!ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter));
    QCOMPARE(
        prompter.texts(),
        QStringList{"Error!! Type Data must be Holding Register or Input Register (Line 17). "});
    QVERIFY(!QFile::exists(path));
}

void TestTranslateTable::hexStoredAsDecimal() {
    TranslateTableModel m;
    fillRow(m, 1, {"Input Status", "$10", "0x1F", "X100", "$7f", "h"});
    QList<TMyRec> rows;
    QVERIFY(ValidateTranslateTable(m, rows).ok());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0], (TMyRec{2, 16, 31, 256, 127, "h"}));
    QVERIFY(SaveTranslateFile(rows, path).ok());
    QVERIFY(readFile(path).contains("TCP_ADDRESS=\"16\" RTU_ADD_DEV=\"31\" RTU_ADDRESS=\"256\" "
                                    "N_POINT=\"127\""));
}

void TestTranslateTable::roundTripAllDataTypes() {
    TranslateTableModel m;
    for (int i = 0; i < 4; ++i)
        fillRow(m, i + 1,
                {kDataTypeNames[i], QString::number(i * 100), QString::number(i + 1),
                 QString::number(i * 1000), QString::number(i * 10), QString("m%1 é\"<").arg(i)});
    RecordingPrompter prompter;
    QVERIFY(ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter));
    const QByteArray first = readFile(path);

    TranslateTableModel loaded;
    QVERIFY(LoadTranslateTable(loaded, path).ok());
    for (int r = 0; r < 4; ++r)
        for (int c = ColDataType; c < TranslateColumnCount; ++c)
            QCOMPARE(loaded.cell(r, c), m.cell(r, c));
    QVERIFY(ConfirmTranslateTable(loaded, path, false, "Set Translate Table", prompter));
    QCOMPARE(readFile(path), first);
    QVERIFY(prompter.entries.isEmpty());
}

void TestTranslateTable::line2000IsStored() {
    std::vector<TranslateTableModel::Row> all(kTranslateRows);
    for (int r = 0; r < kTranslateRows; ++r)
        all[r] = {"", "Coil Status", QString::number(r), "1", "2", "3", QString::number(r + 1)};
    TranslateTableModel m;
    m.replaceAll(all);
    RecordingPrompter prompter;
    QVERIFY(ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter));
    QVERIFY(prompter.entries.isEmpty());
    const QByteArray saved = readFile(path);
    QCOMPARE(saved.count("<row "), 2000);
    QVERIFY(saved.endsWith("MNEMONIC=\"2000\"/></TCP_TO_RTU>"));

    TranslateTableModel loaded;
    QVERIFY(LoadTranslateTable(loaded, path).ok());
    QCOMPARE(loaded.cell(1999, ColMnemonic), QString("2000"));
}

void TestTranslateTable::loadFillsAndResets() {
    writeFile(path, "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<AnyName>\n"
                    "  <row DATA_TYPE=\"3\" TCP_ADDRESS=\"$10\" RTU_ADD_DEV=\"1\" "
                    "RTU_ADDRESS=\"2\" N_POINT=\"3\" MNEMONIC=\"a\"/>\n"
                    "  <other DATA_TYPE=\"9\" TCP_ADDRESS=\"5\" RTU_ADD_DEV=\"x\" "
                    "RTU_ADDRESS=\"\" N_POINT=\"-4\" MNEMONIC=\"\"/>\n"
                    "</AnyName>\n");
    TranslateTableModel m;
    fillRow(m, 7, kGoodRow); // left from an earlier showing
    QVERIFY(LoadTranslateTable(m, path).ok());
    QCOMPARE(m.cell(0, ColDataType), QString("Holding Register"));
    QCOMPARE(m.cell(0, ColTcpAddress), QString("$10")); // as stored, converted at save
    QCOMPARE(m.cell(1, ColDataType), QString());        // unknown code: empty
    QCOMPARE(m.cell(1, ColRtuAddDev), QString("x"));
    QCOMPARE(m.cell(1, ColNPoint), QString("-4"));
    QCOMPARE(m.cell(6, ColDataType), QString());
    QCOMPARE(m.cell(6, ColNumber), QString("7"));

    QFile::remove(path);
    QVERIFY(LoadTranslateTable(m, path).ok());
    QCOMPARE(m.cell(0, ColDataType), QString());
}

void TestTranslateTable::loadProblems_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("messageStart");
    QTest::addColumn<int>("rowsKept");

    const QByteArray row = "<row DATA_TYPE=\"1\" TCP_ADDRESS=\"1\" RTU_ADD_DEV=\"1\" "
                           "RTU_ADDRESS=\"1\" N_POINT=\"1\" MNEMONIC=\"k\"/>";
    QTest::newRow("not well-formed") << QByteArray("<TCP_TO_RTU>" + row) << "" << 0;
    QTest::newRow("missing attribute")
        << QByteArray("<TCP_TO_RTU>" + row + row +
                      "<row DATA_TYPE=\"1\" TCP_ADDRESS=\"1\" RTU_ADD_DEV=\"1\" "
                      "RTU_ADDRESS=\"1\" MNEMONIC=\"k\"/>" +
                      row + "</TCP_TO_RTU>")
        << "Row 3 of \"" << 2;
    QByteArray many = "<TCP_TO_RTU>";
    for (int i = 0; i < 2001; ++i)
        many += row;
    many += "</TCP_TO_RTU>";
    QTest::newRow("more than 2000 rows") << many << "\"" << 2000;
}

void TestTranslateTable::loadProblems() {
    QFETCH(QByteArray, file);
    QFETCH(QString, messageStart);
    QFETCH(int, rowsKept);
    writeFile(path, file);
    TranslateTableModel m;
    const Result<> problem = LoadTranslateTable(m, path);
    QVERIFY(!problem.ok());
    QVERIFY2(problem.error().startsWith(messageStart), qPrintable(problem.error()));
    int kept = 0;
    while (kept < kTranslateRows && m.cell(kept, ColMnemonic) == "k")
        ++kept;
    QCOMPARE(kept, rowsKept);
    QCOMPARE(readFile(path), file);
}

void TestTranslateTable::unreadFileIsReplacedOnlyAfterAsking() {
    writeFile(path, "<TCP_TO_RTU><row");
    TranslateTableModel m;
    QVERIFY(!LoadTranslateTable(m, path).ok());
    fillRow(m, 1, kGoodRow);
    RecordingPrompter prompter;
    prompter.questionAnswers.enqueue(false);
    prompter.questionAnswers.enqueue(true);
    QVERIFY(!ConfirmTranslateTable(m, path, true, "Set Translate Table", prompter));
    QCOMPARE(readFile(path), QByteArray("<TCP_TO_RTU><row"));
    QVERIFY(ConfirmTranslateTable(m, path, true, "Set Translate Table", prompter));
    QCOMPARE(readFile(path).count("<row "), 1);
    QCOMPARE(prompter.texts(),
             QStringList({ReplaceUnreadFileQuestion(path), ReplaceUnreadFileQuestion(path)}));
}

void TestTranslateTable::saveFailureGoesToErrorReport() {
    TranslateTableModel m;
    RecordingPrompter prompter;
    const QString blocked = dir->filePath("missing/var.xml");
    QVERIFY(!ConfirmTranslateTable(m, blocked, false, "Set Translate Table", prompter));
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY(prompter.entries[0].text.startsWith("Cannot create file \"" + blocked + "\". "));
}

void TestTranslateTable::unstorableMnemonicIsRefused() {
    writeFile(path, "<TCP_TO_RTU/>");
    TranslateTableModel m;
    fillRow(m, 1, {"Coil Status", "1", "1", "1", "1", QString("a") + QChar(0x02)});
    RecordingPrompter prompter;
    QVERIFY(!ConfirmTranslateTable(m, path, false, "Set Translate Table", prompter));
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QCOMPARE(readFile(path), QByteArray("<TCP_TO_RTU/>"));
}

void TestTranslateTable::newProjectFiles() {
    const QString folder = dir->filePath("Plant1");
    QVERIFY(CreateProjectFolder(folder).ok());
    QVERIFY(QFileInfo(folder + "/bin").isDir());
    QVERIFY(WriteNewProjectFiles(folder + "/pargen.xml", folder + "/var.xml").ok());
    QCOMPARE(readFile(folder + "/pargen.xml"), QByteArray(ParametersXml(WriteParameterDefaults())));
    QCOMPARE(readFile(folder + "/var.xml"), QByteArray("<TCP_TO_RTU/>"));
    QVERIFY(LoadParameters(folder + "/pargen.xml").values == WriteParameterDefaults());
}

void TestTranslateTable::newProjectFolderRefusesExisting() {
    const QString folder = dir->filePath("Plant2");
    QVERIFY(QDir().mkdir(folder));
    QCOMPARE(CreateProjectFolder(folder).error(),
             QString("Name project not valid because directory already exists"));
    QVERIFY(!QFileInfo(folder + "/bin").exists());
    const auto nested = CreateProjectFolder(dir->filePath("absent/Plant3"));
    QVERIFY(!nested.ok());
    QVERIFY(!QFileInfo(dir->filePath("absent")).exists());
}

QTEST_GUILESS_MAIN(TestTranslateTable)
#include "test_translatetable.moc"
