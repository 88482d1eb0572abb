#include "common/RecordingPrompter.h"
#include "editors/GridTable.h"
#include "editors/PdoTable.h"
#include "editors/SdoTable.h"
#include "editors/TableFile.h"

#include "TestSupport.h"
#include "XlsFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const GridTableSchema& schemaOf(const QString& table) {
    return table == "sdo" ? SdoTableSchema() : PdoTableSchema();
}

// The rows up to the last one with text, cells after the number column joined with "|".
QStringList rowsOf(const TextGridModel& g) {
    QStringList rows;
    int end = 0;
    for (int r = g.firstRowWithText(0); r >= 0; r = g.firstRowWithText(r + 1))
        end = r + 1;
    for (int r = 0; r < end; ++r) {
        QStringList cells;
        for (int c = 1; c < g.columns(); ++c)
            cells << g.cell(r, c);
        rows << cells.join('|');
    }
    return rows;
}

void fill(TextGridModel& g, const QStringList& rows) {
    std::vector<QStringList> cells;
    for (const QString& row : rows)
        cells.push_back(QStringList{QString()} + row.split('|'));
    g.replaceRows(cells);
}

// Expected texts name the file as %path%; one ending in "*" needs only to start with the rest.
void compareTexts(const QStringList& got, QStringList expected, const QString& path) {
    QCOMPARE(got.size(), expected.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        QString want = expected[i].replace("%path%", QDir::toNativeSeparators(path));
        if (want.endsWith('*'))
            QVERIFY2(got[i].startsWith(want.chopped(1)), qPrintable(got[i]));
        else
            QCOMPARE(got[i], want);
    }
}

QByteArray pdoRows(int count, int bypass) {
    QByteArray xml;
    for (int i = 0; i < count; ++i)
        xml += QStringLiteral("<row cobid=\"%1\" id_dev_orig=\"1\" en_bypass=\"%2\" posind=\"0\" "
                              "n_tpdo=\"0\"/>")
                   .arg(count - i)
                   .arg(bypass)
                   .toUtf8();
    return xml;
}

using LineMap = QMap<int, QString>;

} // namespace

class TestGridTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void load_data();
    void load();
    void fileRowsCounted_data();
    void fileRowsCounted();
    void showEmptiesHeldRows();
    void save_data();
    void save();
    void heldRowsAreSaved_data();
    void heldRowsAreSaved();
    void incompleteLoadAsksBeforeReplacing();
    void unstorableCharacterIsRefused();
    void exportLines_data();
    void exportLines();
    void import_data();
    void import();
    void damagedWorkbookIsRefused();
    void importAgainAfterFailure();
    void exportThenImport_data();
    void exportThenImport();
    void lastRowWithTextFollowsEdits_data();
    void lastRowWithTextFollowsEdits();

private:
    QTemporaryDir dir;
    int workbooks = 0;
    QString workbook(const std::vector<XlsSheet>& sheets) {
        const QString path = dir.filePath(QStringLiteral("book%1.xls").arg(++workbooks));
        if (!MakeXls(path, sheets))
            qFatal("python3-xlwt could not write a workbook");
        return path;
    }
};

void TestGridTable::load_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QByteArray>("file"); // empty: no file
    QTest::addColumn<QStringList>("sga");
    QTest::addColumn<QStringList>("sgb");
    QTest::addColumn<QStringList>("messages");

    const QByteArray p1 = "<row cobid=\"1\" id_dev_orig=\"a\" en_bypass=\"2\" posind=\"p\" "
                          "n_tpdo=\"n\"/>";
    const QByteArray p2 = "<row cobid=\"2\" id_dev_orig=\"b\" en_bypass=\"1\" posind=\"p\" "
                          "n_tpdo=\"n\"/>";
    const QByteArray p3 = "<row cobid=\"3\" id_dev_orig=\"c\" en_bypass=\" 0x3\" posind=\"p\" "
                          "n_tpdo=\"n\"/>";
    const QStringList pdoA{"1|a|0|p|n", "3|c|1|p|n"};
    const QStringList pdoB{"2|b|1|p|n"};
    const QString readError = "Error in reading file XML";
    QTest::newRow("pdo directions")
        << "rpdodef"
        << "<rpdodef>" + p1 + p2 + p3 + "</rpdodef>" << pdoA << pdoB << QStringList{};
    QTest::newRow("declaration, BOM, white space")
        << "rpdodef"
        << "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<x>\n  " + p1 + "\n  " + p2 + "\n " + p3 + "\n</x>"
        << pdoA << pdoB << QStringList{};
    QTest::newRow("sdo CAN B only, mnemonico optional")
        << "sdo"
        << QByteArray("<sdo><row conf=\"17\" IndexA=\"0x1000\" SubindexA=\"1\" devIDB=\"5\" "
                      "IndexB=\"0x2000\" SubindexB=\"0\" nbyteB=\"2\" mnemonico=\"m\"/>"
                      "<row conf=\"$21\" IndexA=\"i\" SubindexA=\"s\" devIDB=\"d\" IndexB=\"I\" "
                      "SubindexB=\"S\" nbyteB=\"n\"/></sdo>")
        << QStringList{} << QStringList{"1|0x1000|1|5|0x2000|0|2|m", "0|i|s|d|I|S|n|"}
        << QStringList{};
    QTest::newRow("pdo file missing") << "rpdodef" << QByteArray() << QStringList{} << QStringList{}
                                      << QStringList{"File XML not found"};
    QTest::newRow("sdo file missing")
        << "sdo" << QByteArray() << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("missing attribute")
        << "rpdodef"
        << "<rpdodef>" + p1 + p2 +
               "<row cobid=\"3\" id_dev_orig=\"c\" en_bypass=\"2\" "
               "n_tpdo=\"n\"/>" +
               p3 + "</rpdodef>"
        << QStringList{"1|a|0|p|n"} << pdoB
        << QStringList{readError, "Row 3 of \"%path%\" has no attribute \"posind\". The table "
                                  "shows the 2 rows read before it; OK asks before replacing "
                                  "the file."};
    QTest::newRow("direction not integer text")
        << "sdo"
        << QByteArray("<sdo><row conf=\"0\" IndexA=\"1\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
                      "SubindexB=\"\" nbyteB=\"\"/><row conf=\"1 \" IndexA=\"2\" SubindexA=\"\" "
                      "devIDB=\"\" IndexB=\"\" SubindexB=\"\" nbyteB=\"\"/></sdo>")
        << QStringList{"0|1||||||"} << QStringList{}
        << QStringList{readError, "Row 2 of \"%path%\" has the \"conf\" value \"1 \", which is "
                                  "not an integer value. The table shows the 1 row read before "
                                  "it; OK asks before replacing the file."};
    QTest::newRow("not well-formed") << "rpdodef"
                                     << "<rpdodef>" + p1 << QStringList{} << QStringList{}
                                     << QStringList{readError, "\"%path%\" cannot be read: *"};
    QTest::newRow("a node that is not an element")
        << "rpdodef"
        << "<rpdodef>" + p1 + "<!-- note -->" + p2 + "</rpdodef>" << QStringList{"1|a|0|p|n"}
        << QStringList{} << QStringList{readError, "Row 2 of \"%path%\" is not an element. *"};
    const QString held = " The table shows no rows of it; OK asks before replacing the file.";
    const auto deep = [](int levels) { return QByteArray("<a>").repeated(levels); };
    QTest::newRow("premature end, exact message")
        << "rpdodef"
        << "<rpdodef>\n" + p1 << QStringList{} << QStringList{}
        << QStringList{readError, "\"%path%\" cannot be read: Premature end of document. Line: 2 "
                                  "<row cobid=\"1\" id_dev_orig=\"a\" en_bypass" +
                                      held};
    QTest::newRow("tag mismatch on the second line")
        << "rpdodef"
        << "<rpdodef>" + p1 + "\n  " + p2 + "<row a=\"1\"></rpdodef>" << QStringList{}
        << QStringList{}
        << QStringList{
               readError,
               "\"%path%\" cannot be read: Opening and ending tag mismatch. Line: 2 </rpdodef>" +
                   held};
    QTest::newRow("a row nested 33 levels deep")
        << "rpdodef"
        << "<rpdodef>" + p1 + "\n\n<row>" + deep(31) + "</rpdodef>" << QStringList{}
        << QStringList{}
        << QStringList{readError, "\"%path%\" cannot be read: Elements nested more than 32 levels "
                                  "deep in \"%path%\" Line: 3" +
                                      held};
    QTest::newRow("deep nesting after a fault is the fault")
        << "rpdodef"
        << "<rpdodef>" + p1 + "<b></c>\n" + deep(40) << QStringList{} << QStringList{}
        << QStringList{readError,
                       "\"%path%\" cannot be read: Opening and ending tag mismatch. Line: 1 </c>" +
                           held};
    QTest::newRow("a missing attribute before a fault is the fault")
        << "rpdodef"
        << "<rpdodef><row cobid=\"1\"/>" + p1 + "</rpdodef>x" << QStringList{} << QStringList{}
        << QStringList{
               readError,
               "\"%path%\" cannot be read: Extra content at end of document. Line: 1 </rpdodef>x" +
                   held};
    QTest::newRow("attributes by name, references, nodes outside the root")
        << "rpdodef"
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><!-- c --><?pi x?><rpdodef>"
                      "<row n_tpdo=\"n\" extra=\"\" posind=\"&lt;p&gt;\" en_bypass=\"2\" "
                      "id_dev_orig=\"&amp;&#x41;&#66;\" cobid=\"1\"><x><!-- in --></x>text</row>"
                      "</rpdodef>\n<!-- after --><?pi y?>\n")
        << QStringList{"1|&AB|0|<p>|n"} << QStringList{} << QStringList{};
    QTest::newRow("text as a row")
        << "rpdodef"
        << "<rpdodef>" + p1 + "\n  text\n" + p2 + "</rpdodef>" << QStringList{"1|a|0|p|n"}
        << QStringList{}
        << QStringList{readError, "Row 2 of \"%path%\" is not an element. The table shows the 1 "
                                  "row read before it; OK asks before replacing the file."};
    QTest::newRow("white space in CDATA as a row")
        << "rpdodef"
        << "<rpdodef> <![CDATA[ ]]>" + p1 + "</rpdodef>" << QStringList{} << QStringList{}
        << QStringList{readError, "Row 1 of \"%path%\" is not an element." + held};
    QTest::newRow("a processing instruction as a row")
        << "rpdodef"
        << "<rpdodef>" + p2 + "<?pi?></rpdodef>" << QStringList{} << QStringList{"2|b|1|p|n"}
        << QStringList{readError, "Row 2 of \"%path%\" is not an element. The table shows the 1 "
                                  "row read before it; OK asks before replacing the file."};
    QTest::newRow("a DTD and its entity")
        << "rpdodef"
        << "<!DOCTYPE rpdodef [<!ENTITY e \"E\">]>\n<rpdodef><row cobid=\"1\" "
           "id_dev_orig=\"&e;\" en_bypass=\"2\" posind=\"p\" n_tpdo=\"n\"/>" +
               p2 + "</rpdodef>"
        << QStringList{"1|E|0|p|n"} << pdoB << QStringList{};
    QTest::newRow("prefixed names")
        << "rpdodef"
        << QByteArray("<t:rpdodef xmlns:t=\"urn:t\"><row t:cobid=\"9\" cobid=\"1\" "
                      "id_dev_orig=\"a\" en_bypass=\"2\" posind=\"p\" n_tpdo=\"n\"/><t:row "
                      "cobid=\"2\" id_dev_orig=\"b\" en_bypass=\"1\" posind=\"p\" "
                      "n_tpdo=\"n\"/></t:rpdodef>")
        << QStringList{"1|a|0|p|n"} << pdoB << QStringList{};
    QTest::newRow("sdo without its root element's rows")
        << "sdo" << QByteArray("<!-- only --><sdo/>") << QStringList{} << QStringList{}
        << QStringList{};
    QTest::newRow("empty file")
        << "sdo" << QByteArray(" ") << QStringList{} << QStringList{}
        << QStringList{readError,
                       "\"%path%\" cannot be read: Premature end of document. Line: 1  " + held};
}

void TestGridTable::load() {
    QFETCH(QString, table);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, sga);
    QFETCH(QStringList, sgb);
    QFETCH(QStringList, messages);
    QTemporaryDir project;
    const QString path = project.filePath(table + ".xml");
    if (!file.isEmpty())
        writeFile(path, file);
    GridTable t(schemaOf(table));
    fill(t.grid(0), {"left|from|before"});
    RecordingPrompter prompter;
    QCOMPARE(t.Show(project.path(), prompter), messages.size() < 2);
    QCOMPARE(rowsOf(t.grid(0)), sga);
    QCOMPARE(rowsOf(t.grid(1)), sgb);
    compareTexts(prompter.texts(), messages, path);
}

// What OK's question says the file holds: every node below the root but white space.
void TestGridTable::fileRowsCounted_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("fileRows");
    QTest::addColumn<int>("read");

    QTest::newRow("comment, text, CDATA and instruction; no white space")
        << QByteArray("<t> <r a=\"1\"/>\n<!--c--> x <![CDATA[]]><?p?>\n</t>") << 5 << 1;
    QTest::newRow("rows after a missing attribute")
        << QByteArray("<t><r a=\"1\"/><r b=\"1\"/><r a=\"2\"/></t>") << 3 << 1;
    QTest::newRow("elements inside rows") << QByteArray("<t><r a=\"1\"><r/><r/></r></t>") << 1 << 1;
    QTest::newRow("empty root") << QByteArray("<t/>") << 0 << 0;
    QTest::newRow("not readable") << QByteArray("<t><r a=\"1\"/>") << -1 << 0;
}

void TestGridTable::fileRowsCounted() {
    QFETCH(QByteArray, file);
    QFETCH(int, fileRows);
    QFETCH(int, read);
    QTemporaryDir project;
    const QString path = project.filePath("t.xml");
    writeFile(path, file);
    const TableFileRows rows = ReadTableFile(path, {"a"});
    QVERIFY(rows.found);
    QCOMPARE(rows.fileRows, fileRows);
    QCOMPARE(int(rows.rows.size()), read);
    QCOMPARE(rows.problem.isEmpty(), fileRows == read);
}

// Rows held out of sight by one showing are not saved with the next one's.
void TestGridTable::showEmptiesHeldRows() {
    QTemporaryDir project;
    const QString path = project.filePath("rpdodef.xml");
    writeFile(path, "<rpdodef>" + pdoRows(12, 2) + "</rpdodef>");
    GridTable t(PdoTableSchema());
    RecordingPrompter prompter;
    QVERIFY(t.Show(project.path(), prompter));
    QCOMPARE(t.grid(0).storedRows(), 12);
    writeFile(path, "<rpdodef>" + pdoRows(1, 2) + "</rpdodef>");
    QVERIFY(t.Show(project.path(), prompter));
    QCOMPARE(rowsOf(t.grid(0)), QStringList{"1|1|0|0|0"});
    QVERIFY(t.Ok(project.path(), prompter));
    QCOMPARE(readFile(path).count("<row "), 1);
}

void TestGridTable::save_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("sga");
    QTest::addColumn<QStringList>("sgb");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QByteArray>("file"); // empty: left as it was
    QTest::addColumn<QStringList>("messages");

    const auto sdoRow = [](const char* conf, const char* index, const char* sub) {
        return QByteArray("<row conf=\"") + conf + "\" IndexA=\"" + index + "\" SubindexA=\"" +
               sub + "\" devIDB=\"d\" IndexB=\"i\" SubindexB=\"s\" nbyteB=\"n\" mnemonico=\"m\"/>";
    };
    const auto pdoRow = [](const char* cobid, const char* bypass) {
        return QByteArray("<row cobid=\"") + cobid + "\" id_dev_orig=\"o\" en_bypass=\"" + bypass +
               "\" posind=\"p\" n_tpdo=\"n\"/>";
    };
    QTest::newRow("sdo order") << "sdo"
                               << QStringList{"1|0x2000|1|d|i|s|n|m", "0|0x1000|2|d|i|s|n|m",
                                              "1|0x1000|1|d|i|s|n|m"}
                               << QStringList{"1|4096|1|d|i|s|n|m", "0|idx|9|d|i|s|n|m"}
                               << QList<bool>{}
                               << "<sdo>" + sdoRow("16", "0x1000", "1") +
                                      sdoRow("0", "0x1000", "2") + sdoRow("16", "0x2000", "1") +
                                      sdoRow("1", "idx", "9") + sdoRow("17", "4096", "1") + "</sdo>"
                               << QStringList{};
    QTest::newRow("sdo RW exactly 1")
        << "sdo" << QStringList{"01|1|1|d|i|s|n|m"} << QStringList{"1 |1|1|d|i|s|n|m"}
        << QList<bool>{} << "<sdo>" + sdoRow("0", "1", "1") + sdoRow("1", "1", "1") + "</sdo>"
        << QStringList{};
    QTest::newRow("sdo empty") << "sdo" << QStringList{} << QStringList{} << QList<bool>{}
                               << QByteArray("<sdo/>") << QStringList{};
    const QString dropped = "Row 1 of \"SDO from CAN A request to CAN B\" has no RW, so it and "
                            "the rows below it are not saved. Save anyway?";
    const QStringList gap{"1|1|1|d|i|s|n|m", "", "1|2|1|d|i|s|n|m"};
    QTest::newRow("sdo filled row after an empty RW, saved")
        << "sdo" << gap << QStringList{} << QList<bool>{true}
        << "<sdo>" + sdoRow("16", "1", "1") + "</sdo>" << QStringList{dropped};
    QTest::newRow("sdo filled row after an empty RW, declined")
        << "sdo" << gap << QStringList{} << QList<bool>{false} << QByteArray()
        << QStringList{dropped};
    QTest::newRow("sdo index alone below the rows in use")
        << "sdo" << QStringList{"1|1|1|d|i|s|n|m", "|5"} << QStringList{} << QList<bool>{false}
        << QByteArray() << QStringList{dropped};
    QTest::newRow("pdo order") << "rpdodef"
                               << QStringList{"0x181|o|1|p|n", "0x182|o|0|p|n", "385|o|yes|p|n"}
                               << QStringList{"0x1000000|o|1|p|n", "0x999999|o||p|n", "1|o|1|p|n"}
                               << QList<bool>{}
                               << "<rpdodef>" + pdoRow("385", "2") + pdoRow("0x181", "3") +
                                      pdoRow("0x182", "2") + pdoRow("1", "1") +
                                      pdoRow("0x999999", "0") + pdoRow("0x1000000", "1") +
                                      "</rpdodef>"
                               << QStringList{};
    QTest::newRow("pdo flag cell alone below the rows in use")
        << "rpdodef" << QStringList{"1|o|1|p|n", "||1||", "|||"} << QStringList{} << QList<bool>{}
        << "<rpdodef>" + pdoRow("1", "3") + "</rpdodef>" << QStringList{};
    QTest::newRow("pdo cobid not integer, CAN A first")
        << "rpdodef" << QStringList{"1|o|1|p|n", "q|o|1|p|n"} << QStringList{"p|o|1|p|n"}
        << QList<bool>{} << QByteArray() << QStringList{"'q' is not a valid integer value"};
}

void TestGridTable::save() {
    QFETCH(QString, table);
    QFETCH(QStringList, sga);
    QFETCH(QStringList, sgb);
    QFETCH(QList<bool>, answers);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, messages);
    QTemporaryDir project;
    const QString path = project.filePath(table + ".xml");
    writeFile(path, "<old/>");
    GridTable t(schemaOf(table));
    fill(t.grid(0), sga);
    fill(t.grid(1), sgb);
    RecordingPrompter prompter;
    for (const bool a : answers)
        prompter.questionAnswers.enqueue(a);
    QCOMPARE(t.Ok(project.path(), prompter), !file.isEmpty());
    QCOMPARE(readFile(path), file.isEmpty() ? QByteArray("<old/>") : file);
    compareTexts(prompter.texts(), messages, path);
}

void TestGridTable::heldRowsAreSaved_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("rows");
    QTest::newRow("pdo, 12 rows in one grid") << "rpdodef" << 12;
    QTest::newRow("sdo, 1502 rows in one grid") << "sdo" << 1502;
}

void TestGridTable::heldRowsAreSaved() {
    QFETCH(QString, table);
    QFETCH(int, rows);
    QTemporaryDir project;
    const QString path = project.filePath(table + ".xml");
    QByteArray xml = "<" + table.toUtf8() + ">";
    for (int i = rows; i > 0; --i)
        xml += table == "sdo" ? QStringLiteral("<row conf=\"0\" IndexA=\"%1\" SubindexA=\"0\" "
                                               "devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
                                               "nbyteB=\"\" mnemonico=\"\"/>")
                                    .arg(i)
                                    .toUtf8()
                              : QStringLiteral("<row cobid=\"%1\" id_dev_orig=\"\" "
                                               "en_bypass=\"2\" posind=\"\" n_tpdo=\"\"/>")
                                    .arg(i)
                                    .toUtf8();
    writeFile(path, xml + "</" + table.toUtf8() + ">");
    GridTable t(schemaOf(table));
    RecordingPrompter prompter;
    QVERIFY(t.Show(project.path(), prompter));
    QCOMPARE(t.grid(0).storedRows(), rows);
    QCOMPARE(t.grid(0).rowCount(), t.grid(0).shownRows());
    QVERIFY(t.Ok(project.path(), prompter));
    QVERIFY(prompter.entries.isEmpty());
    const QByteArray saved = readFile(path);
    QCOMPARE(saved.count("<row "), rows);
    // Written in key order: the file's last row, key 1, comes first.
    QVERIFY(saved.startsWith("<" + table.toUtf8() + "><row " +
                             (table == "sdo" ? "conf=\"0\" IndexA=\"1\"" : "cobid=\"1\"")));
}

void TestGridTable::incompleteLoadAsksBeforeReplacing() {
    QTemporaryDir project;
    const QString path = project.filePath("rpdodef.xml");
    const QByteArray file = "<rpdodef>" + pdoRows(2, 2) + "<row cobid=\"9\"/></rpdodef>";
    writeFile(path, file);
    GridTable t(PdoTableSchema());
    RecordingPrompter prompter;
    QVERIFY(!t.Show(project.path(), prompter));
    prompter.clear();
    prompter.questionAnswers.enqueue(false);
    prompter.questionAnswers.enqueue(true);
    QVERIFY(!t.Ok(project.path(), prompter));
    QCOMPARE(readFile(path), file);
    QVERIFY(t.Ok(project.path(), prompter));
    QCOMPARE(readFile(path).count("<row "), 2);
    const QString question = QStringLiteral("\"%1\" holds 3 rows but could not be read completely. "
                                            "Replace it with the 2 rows shown?")
                                 .arg(QDir::toNativeSeparators(path));
    QCOMPARE(prompter.texts(), QStringList({question, question}));
}

void TestGridTable::unstorableCharacterIsRefused() {
    QTemporaryDir project;
    const QString path = project.filePath("sdo.xml");
    writeFile(path, "<old/>");
    GridTable t(SdoTableSchema());
    fill(t.grid(1), {QString("1|1|1|d|i|s|n|a") + QChar(0x02)});
    RecordingPrompter prompter;
    QVERIFY(!t.Ok(project.path(), prompter));
    QCOMPARE(readFile(path), QByteArray("<old/>"));
    compareTexts(prompter.texts(),
                 {"Cannot create file \"%path%\". Row 0 of \"SDO from CAN B request to CAN A\" "
                  "holds a character that cannot be stored."},
                 path);
}

void TestGridTable::exportLines_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("sga");
    QTest::addColumn<QStringList>("sgb");
    QTest::addColumn<int>("count");
    QTest::addColumn<LineMap>("lines");

    const QString sdoTitles = "Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,";
    QTest::newRow("sdo, fresh") << "sdo" << QStringList{} << QStringList{} << 3002
                                << LineMap{{0, "0," + sdoTitles},
                                           {1, "0,,,,,,,,"},
                                           {1500, "0,,,,,,,,"},
                                           {1501, "1," + sdoTitles},
                                           {3001, "1,,,,,,,,"}};
    QTest::newRow("sdo, values as held")
        << "sdo" << QStringList{"1|0x1000|1|5|a,b||8|m"} << QStringList{"01| 2|||||| "} << 3002
        << LineMap{{1, "16,0x1000,1,5,a,b,,8,m,"}, {1502, "1, 2,,,,,, ,"}};
    QTest::newRow("pdo, held rows not exported")
        << "rpdodef"
        << QStringList{"0x181|1|1|0|1", "", "", "", "", "", "", "", "", "", "11|1|1|1|1"}
        << QStringList{"", "5|2|1|3|4", "6|2|no|3|4"} << 22
        << LineMap{{0, "cobid,id_dev_orig,00,posind,n_tpdo,"},
                   {1, "0x181,1,01,0,1,"},
                   {2, ",,00,,,"},
                   {11, "cobid,id_dev_orig,10,posind,n_tpdo,"},
                   {12, ",,10,,,"},
                   {13, "5,2,11,3,4,"},
                   {14, "6,2,10,3,4,"}};
}

void TestGridTable::exportLines() {
    QFETCH(QString, table);
    QFETCH(QStringList, sga);
    QFETCH(QStringList, sgb);
    QFETCH(int, count);
    QFETCH(LineMap, lines);
    QTemporaryDir project;
    GridTable t(schemaOf(table));
    fill(t.grid(0), sga);
    fill(t.grid(1), sgb);
    RecordingPrompter prompter;
    QVERIFY(t.Export(project.path(), prompter));
    const QString csv = QString::fromUtf8(readFile(project.path() + "/" + table + ".csv"));
    QVERIFY(csv.endsWith("\r\n"));
    const QStringList got = csv.chopped(2).split("\r\n");
    QCOMPARE(got.size(), count);
    for (auto it = lines.begin(); it != lines.end(); ++it)
        QCOMPARE(got[it.key()], it.value());
    QVERIFY(prompter.entries.isEmpty());
}

void TestGridTable::import_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("book");
    QTest::addColumn<QStringList>("sga");
    QTest::addColumn<QStringList>("sgb");
    QTest::addColumn<QStringList>("messages");

    const QVariant none;
    const QVariantList pdoHead{"cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"};
    const QVariantList sdoHead{"conf",   "IndexA",    "SubindexA", "devIDB",
                               "IndexB", "SubindexB", "nbyteB",    "mnemonico"};
    std::vector<QVariantList> pdo{pdoHead};
    for (const int code : {0, 1, 2, 3, 10, 11})
        pdo.push_back({QString("c%1").arg(code), 7, code, "p", none});
    QTest::newRow("pdo direction and enable")
        << "rpdodef" << workbook({{"other", {}}, {"rpdodef", pdo}})
        << QStringList{"c0|7|0|p|", "c1|7|1|p|"}
        << QStringList{"c2|7|0|p|", "c3|7|1|p|", "c10|7|0|p|", "c11|7|1|p|"} << QStringList{};
    QTest::newRow("numbers, texts, empty cells, sheet SDO")
        << "sdo"
        << workbook({{"SDO",
                      {sdoHead,
                       {16, 4096, 1.0, 0.5, none, "0x10", -3, "m"},
                       {"0x11", 1e7, none, none, none, none, none, none}}}})
        << QStringList{"1|4096|1|0.5||0x10|-3|m"} << QStringList{"1|10000000||||||"}
        << QStringList{};
    QTest::newRow("sheet Sdo") << "sdo" << workbook({{"Sdo", {sdoHead, {1, 2, 3, 4, 5, 6, 7, 8}}}})
                               << QStringList{} << QStringList{"0|2|3|4|5|6|7|8"} << QStringList{};
    QTest::newRow("no sheet of that name")
        << "sdo" << workbook({{"sdo2", {sdoHead, {1, 2, 3, 4, 5, 6, 7, 8}}}}) << QStringList{}
        << QStringList{} << QStringList{"Import stopped: \"%book%\" has no sheet named \"sdo\"."};
    const QString text = writeFileOrAbort(dir.filePath("text.xls"), "cobid,id\r\n1,2\r\n");
    QTest::newRow("not a workbook")
        << "rpdodef" << text << QStringList{} << QStringList{}
        << QStringList{"Import stopped: \"%book%\" is not an Excel workbook (.xls)."};
    QTest::newRow("empty direction cell ends the import")
        << "rpdodef"
        << workbook({{"rpdodef", {pdoHead, {1, 1, 0, 1, 1}, {2, 2, none, 2, 2}, {3, 3, 0, 3, 3}}}})
        << QStringList{"1|1|0|1|1"} << QStringList{}
        << QStringList{"Import stopped at row 3 of the sheet \"rpdodef\": the \"en_bypass\" cell "
                       "is empty."};
    QTest::newRow("direction not integer text")
        << "rpdodef" << workbook({{"rpdodef", {pdoHead, {1, 1, "0x", 1, 1}}}}) << QStringList{}
        << QStringList{}
        << QStringList{"Import stopped at row 2 of the sheet \"rpdodef\": the \"en_bypass\" cell "
                       "\"0x\" is not an integer value."};
    QTest::newRow("too few columns")
        << "sdo" << workbook({{"sdo", {{1, 2, 3}, {1, 2, 3}}}}) << QStringList{} << QStringList{}
        << QStringList{"Import stopped at row 2 of the sheet \"sdo\": the sheet has 3 columns, "
                       "the table needs 8."};
}

void TestGridTable::import() {
    QFETCH(QString, table);
    QFETCH(QString, book);
    QFETCH(QStringList, sga);
    QFETCH(QStringList, sgb);
    QFETCH(QStringList, messages);
    GridTable t(schemaOf(table));
    QStringList before(t.grid(0).shownRows() + 2, "x|x");
    fill(t.grid(0), before);
    fill(t.grid(1), {"y"});
    RecordingPrompter prompter;
    QCOMPARE(t.Import(book, prompter), messages.isEmpty());
    QCOMPARE(rowsOf(t.grid(0)), sga);
    QCOMPARE(rowsOf(t.grid(1)), sgb);
    for (QString& m : messages)
        m.replace("%book%", QDir::toNativeSeparators(book));
    QCOMPARE(prompter.texts(), messages);
}

// A fuzzed .xls on which FreeXL reads out of bounds: the import fails with a message, the
// program goes on (the reader runs in a process of its own).
void TestGridTable::damagedWorkbookIsRefused() {
    GridTable t(PdoTableSchema());
    RecordingPrompter prompter;
    QVERIFY(
        !t.Import(QStringLiteral(QUENZOR_SOURCE_DIR "/tests/editors/data/overread.xls"), prompter));
    QCOMPARE(prompter.texts().size(), 1);
    QVERIFY2(prompter.texts().first().startsWith("Import stopped: "),
             qPrintable(prompter.texts().first()));
}

void TestGridTable::importAgainAfterFailure() {
    const QVariantList head{"cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"};
    const QString failing = workbook({{"rpdodef", {head, {1, 1, 0, 1, 1}, {2, 2, "x", 2, 2}}}});
    const QString good = workbook({{"RpdoDef", {head, {5, 5, 3, 5, 5}}}});
    GridTable t(PdoTableSchema());
    RecordingPrompter prompter;
    QVERIFY(!t.Import(failing, prompter));
    QCOMPARE(rowsOf(t.grid(0)), QStringList{"1|1|0|1|1"});
    QVERIFY(t.Import(good, prompter));
    QCOMPARE(rowsOf(t.grid(0)), QStringList{});
    QCOMPARE(rowsOf(t.grid(1)), QStringList{"5|5|1|5|5"});
}

void TestGridTable::exportThenImport_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("sga");
    QTest::addColumn<QStringList>("sgb");
    QTest::newRow("sdo") << "sdo" << QStringList{"1|0x1000|1|5|0x2000|0|2|m", "0|12|007|||||"}
                         << QStringList{"1|8|9|10|11|12|13|n", "0|x|y|z|||4|"};
    QTest::newRow("pdo") << "rpdodef" << QStringList{"0x181|1|1|0|1", "386|2|0|a|"}
                         << QStringList{"0x201|3|1|0|1", "$202|4|0||b"};
}

// As a spreadsheet program would save the export: digits without a leading zero become
// numbers, everything else stays text.
void TestGridTable::exportThenImport() {
    QFETCH(QString, table);
    QFETCH(QStringList, sga);
    QFETCH(QStringList, sgb);
    QTemporaryDir project;
    GridTable t(schemaOf(table));
    fill(t.grid(0), sga);
    fill(t.grid(1), sgb);
    RecordingPrompter prompter;
    QVERIFY(t.Export(project.path(), prompter));
    const QString csv = QString::fromUtf8(readFile(project.path() + "/" + table + ".csv"));
    const QRegularExpression number("^(0|[1-9][0-9]*)$");
    XlsSheet sheet{table, {}};
    for (const QString& line : csv.chopped(2).split("\r\n")) {
        QVariantList cells;
        for (const QString& value : line.chopped(1).split(','))
            cells << (number.match(value).hasMatch() ? QVariant(value.toInt()) : QVariant(value));
        sheet.rows.push_back(cells);
    }
    GridTable back(schemaOf(table));
    QVERIFY(back.Import(workbook({sheet}), prompter));
    QVERIFY(prompter.entries.isEmpty());
    // The title line of sgb comes back as its first data row, ahead of its rows.
    QStringList title;
    for (int c = 1; c < t.grid(1).columns(); ++c)
        title << (c == back.schema().flagColumn ? "0" : t.grid(1).titleText(c));
    QCOMPARE(rowsOf(back.grid(0)).mid(0, sga.size()), sga);
    QCOMPARE(rowsOf(back.grid(1)).mid(0, sgb.size() + 1), QStringList{title.join('|')} + sgb);
}

void TestGridTable::lastRowWithTextFollowsEdits_data() {
    // Steps: "rows N" places N rows of text, "set R C TEXT" writes a cell (no TEXT empties it).
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("text written past the placed rows") << QStringList{"rows 2", "set 7 1 x"};
    QTest::newRow("the last row emptied") << QStringList{"rows 3", "set 2 1", "set 2 2"};
    QTest::newRow("emptied, then written lower")
        << QStringList{"set 9 2 a", "set 9 2", "set 4 1 b"};
    QTest::newRow("a held row beyond the shown") << QStringList{"set 1500 1 h", "set 3 1 a"};
    QTest::newRow("rows replaced by fewer") << QStringList{"set 40 1 a", "rows 1", "rows 0"};
}

void TestGridTable::lastRowWithTextFollowsEdits() {
    QFETCH(QStringList, steps);
    TextGridModel g({{"#", "A", "B"}, {}, 1000, 1, true});
    for (const QString& step : steps) {
        const QStringList w = step.split(' ');
        if (w[0] == "rows")
            fill(g, QStringList(w[1].toInt(), QStringLiteral("r|s")));
        else
            g.setCell(w[1].toInt(), w[2].toInt(), w.value(3));
        int end = 0;
        for (int r = g.firstRowWithText(0); r >= 0; r = g.firstRowWithText(r + 1))
            end = r + 1;
        QVERIFY2(g.rowsToLastText() == end, qPrintable(step));
    }
}

QTEST_GUILESS_MAIN(TestGridTable)
#include "test_gridtable.moc"
