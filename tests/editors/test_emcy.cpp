#include "common/RecordingPrompter.h"
#include "editors/EmcyTable.h"

#include "TestSupport.h"
#include "XlsFixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A row of the table file from its twelve values joined by "|"; "-" leaves an attribute out.
QByteArray emcyRow(const QString& values) {
    const QStringList v = values.split('|');
    QByteArray xml = "<row";
    for (qsizetype i = 0; i < v.size(); ++i)
        if (v[i] != "-")
            xml += QStringLiteral(" %1=\"%2\"").arg(EmcyAttributes()[i], v[i]).toUtf8();
    return xml + "/>";
}

QByteArray emcyFile(const QStringList& rows) {
    QByteArray xml = "<emcydef>";
    for (const QString& r : rows)
        xml += emcyRow(r);
    return xml + "</emcydef>";
}

// An entry as its texts joined by "|", then the flag and the code.
QStringList entriesOf(const EmcyTable& t, int side) {
    QStringList out;
    for (const TClEmcy& e : t.lists[std::size_t(side)])
        out << QStringList(e.texts.begin(), e.texts.end()).join('|') +
                   QStringLiteral("|%1|%2").arg(int(e.translate_enabled)).arg(e.alias_code);
    return out;
}

// Eleven texts: the ID, then ten field values made from `tag`.
QString texts(const QString& id, const QString& tag = "m") {
    QStringList v{id};
    for (int f = 1; f < kEmcyTextFields; ++f)
        v << tag + QString::number(f);
    return v.join('|');
}

void typeEntry(EmcyTable& t, int side, const QString& id, bool enabled = false, int alias = 0) {
    EmcyPage& page = t.pages[std::size_t(side)];
    const QStringList v = texts(id).split('|');
    for (int f = 0; f < kEmcyTextFields; ++f)
        page.edits[std::size_t(f)] = v[f];
    page.enabled = enabled;
    page.alias = alias;
}

} // namespace

class TestEmcy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void load_data();
    void load();
    void showEntryKeepsRadioForCodesWithout();
    void checkId_data();
    void checkId();
    void deleteLeavesNoSelection();
    void save_data();
    void save();
    void exportLines();
    void import();
    void exportThenImport();
};

void TestEmcy::load_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("sideA");
    QTest::addColumn<QStringList>("sideB");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("selectedA");

    QTest::newRow("bypass_set 33 and 18, higher bits ignored")
        << emcyFile({texts("1") + "|33", texts("2") + "|18", texts("3") + "|0x67"})
        << QStringList{texts("2") + "|0|9"} << QStringList{texts("1") + "|1|0", texts("3") + "|1|3"}
        << QStringList{} << 0;
    QTest::newRow("an empty attribute reads as 0")
        << emcyFile({"7|||||||||||0"}) << QStringList{"7|0|0|0|0|0|0|0|0|0|0|0|0"} << QStringList{}
        << QStringList{} << 0;
    QTest::newRow("a missing attribute ends the load, nothing selected")
        << emcyFile({texts("1") + "|2", "2|a|b|c|-|e|f|g|h|i|j|0"})
        << QStringList{texts("1") + "|0|1"} << QStringList{}
        << QStringList{"Error in reading file XML",
                       "Row 2 of \"%path%\" has no attribute \"mask_eq_m2\". The table shows the "
                       "1 row read before it; OK asks before replacing the file."}
        << -1;
    QTest::newRow("no file") << QByteArray() << QStringList{} << QStringList{}
                             << QStringList{"File XML not found"} << -1;
}

void TestEmcy::load() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, sideA);
    QFETCH(QStringList, sideB);
    QFETCH(QStringList, messages);
    QFETCH(int, selectedA);
    QTemporaryDir project;
    const QString path = project.filePath("emcydef.xml");
    if (!file.isEmpty())
        writeFile(path, file);
    EmcyTable t;
    RecordingPrompter prompter;
    QCOMPARE(t.Show(project.path(), prompter), messages.size() < 2);
    QCOMPARE(entriesOf(t, 0), sideA);
    QCOMPARE(entriesOf(t, 1), sideB);
    for (QString& m : messages)
        m.replace("%path%", QDir::toNativeSeparators(path));
    QCOMPARE(prompter.texts(), messages);
    QCOMPARE(t.pages[0].selected, selectedA);
    if (selectedA == 0)
        QCOMPARE(t.pages[0].edits[0], t.lists[0][0].texts[0]);
}

void TestEmcy::showEntryKeepsRadioForCodesWithout() {
    EmcyTable t;
    t.lists[0] = {TClEmcy{{"1"}, true, 9}, TClEmcy{{"2"}, false, 8}};
    t.pages[0].alias = 4;
    t.ShowEntry(0, 0);
    QCOMPARE(std::pair(t.pages[0].alias, t.pages[0].enabled), std::pair(4, true));
    t.ShowEntry(0, 1);
    QCOMPARE(std::pair(t.pages[0].alias, t.pages[0].enabled), std::pair(8, false));
    // A radio chosen replaces the code; with none chosen Modify keeps it.
    t.pages[0].selected = 0;
    t.pages[0].edits[0] = "1";
    t.pages[0].alias = -1;
    RecordingPrompter prompter;
    t.Modify(0, prompter);
    QCOMPARE(t.lists[0][0].alias_code, 9);
    t.pages[0].alias = 2;
    t.Modify(0, prompter);
    QCOMPARE(t.lists[0][0].alias_code, 2);
}

void TestEmcy::checkId_data() {
    QTest::addColumn<QStringList>("ids"); // the page's list
    QTest::addColumn<int>("selected");    // -1: New, otherwise Modify of that entry
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("messages"); // "Index Not Valid" shown this often; 0: accepted

    QTest::newRow("new, 05 beside 5") << QStringList{"5"} << -1 << "05" << 0;
    QTest::newRow("new, duplicate") << QStringList{"1", "5"} << -1 << "5" << 1;
    QTest::newRow("new, empty, empty list") << QStringList{} << -1 << "" << 1;
    QTest::newRow("new, empty beside an empty item") << QStringList{"3", ""} << -1 << "" << 2;
    QTest::newRow("modify keeping its ID, duplicate elsewhere")
        << QStringList{"5", "5"} << 1 << "5" << 0;
    QTest::newRow("modify to another's ID") << QStringList{"5", "6"} << 1 << "5" << 1;
    QTest::newRow("modify to an empty ID") << QStringList{"5"} << 0 << "" << 1;
}

void TestEmcy::checkId() {
    QFETCH(QStringList, ids);
    QFETCH(int, selected);
    QFETCH(QString, id);
    QFETCH(int, messages);
    EmcyTable t;
    for (const QString& i : ids)
        t.lists[0].push_back(TClEmcy{{i}, false, 0});
    const auto before = entriesOf(t, 0);
    typeEntry(t, 0, id, true, 5);
    t.pages[0].edits[2] = ""; // an empty edit is stored as "0"
    t.pages[0].selected = selected;
    RecordingPrompter prompter;
    if (selected < 0)
        t.New(0, prompter);
    else
        t.Modify(0, prompter);
    QCOMPARE(prompter.texts(), QStringList(messages, "Index Not Valid"));
    QStringList after = before;
    const QString entry = texts(id).replace("|m2|", "|0|") + "|1|5";
    if (messages == 0 && selected < 0)
        after << entry;
    else if (messages == 0)
        after[selected] = entry;
    QCOMPARE(entriesOf(t, 0), after);
    QVERIFY(entriesOf(t, 1).isEmpty());
    if (messages == 0 && selected < 0)
        QCOMPARE(t.pages[0].selected, int(after.size()) - 1);
}

void TestEmcy::deleteLeavesNoSelection() {
    EmcyTable t;
    RecordingPrompter prompter;
    for (const char* id : {"1", "2", "3"}) {
        typeEntry(t, 1, id);
        t.New(1, prompter);
    }
    t.ShowEntry(1, 1);
    t.Delete(1);
    QCOMPARE(t.pages[1].selected, -1);
    QCOMPARE(t.pages[1].edits[0], QString("2")); // the edits still show the removed entry
    t.pages[1].edits[0] = "9";
    t.Modify(1, prompter);
    QCOMPARE(entriesOf(t, 1).size(), 2);
    QCOMPARE(t.lists[1][1].texts[0], QString("3"));
    QVERIFY(prompter.entries.isEmpty());
}

void TestEmcy::save_data() {
    QTest::addColumn<QStringList>("sideA"); // "ID|enabled|code"
    QTest::addColumn<QStringList>("sideB");
    QTest::addColumn<QStringList>("written"); // the rows' IDs and bypass_set, in file order
    QTest::addColumn<QString>("message");

    QTest::newRow("ordered per side, CAN A first")
        << QStringList{"10|0|0", "2|1|8", "7|0|9", "0x10|1|1"} << QStringList{"1|1|3", "0|0|0"}
        << QStringList{"2:17", "7:18", "10:0", "0x10:3", "0:32", "1:39"} << QString();
    QTest::newRow("equal IDs: the later first; the bound written, above it last")
        << QStringList{"1000000|0|0", "5|0|1", "999999|0|0", "05|0|2", "5|0|3"} << QStringList{}
        << QStringList{"5:6", "05:4", "5:2", "999999:0", "1000000:0"} << QString();
    QTest::newRow("ID not integer text") << QStringList{"1|0|0"} << QStringList{"1x|0|0"}
                                         << QStringList{} << "'1x' is not a valid integer value";
}

void TestEmcy::save() {
    QFETCH(QStringList, sideA);
    QFETCH(QStringList, sideB);
    QFETCH(QStringList, written);
    QFETCH(QString, message);
    QTemporaryDir project;
    const QString path = project.filePath("emcydef.xml");
    writeFile(path, "<old/>");
    EmcyTable t;
    const std::array<QStringList, 2> sides{sideA, sideB};
    for (int side = 0; side < 2; ++side)
        for (const QString& e : sides[std::size_t(side)]) {
            const QStringList v = e.split('|');
            TClEmcy entry;
            const QStringList values = texts(v[0], "v").split('|');
            std::copy(values.begin(), values.end(), entry.texts.begin());
            entry.translate_enabled = v[1] == "1";
            entry.alias_code = v[2].toInt();
            t.lists[std::size_t(side)].push_back(entry);
        }
    RecordingPrompter prompter;
    QCOMPARE(t.Ok(project.path(), prompter), message.isEmpty());
    QCOMPARE(prompter.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(readFile(path), QByteArray("<old/>"));
        return;
    }
    QStringList rows;
    for (const QString& w : written)
        rows << texts(w.section(':', 0, 0), "v") + "|" + w.section(':', 1);
    QCOMPARE(readFile(path), emcyFile(rows));
}

void TestEmcy::exportLines() {
    QTemporaryDir project;
    EmcyTable t;
    RecordingPrompter prompter;
    QVERIFY(t.Export(project.path(), prompter));
    QCOMPARE(readFile(project.path() + "/emcydef.csv"), QByteArray());
    t.lists[1].push_back(TClEmcy{{"3", "", "a,b"}, true, 3});
    t.lists[0].push_back(
        TClEmcy{{"9", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, false, 9});
    QVERIFY(t.Export(project.path(), prompter));
    QCOMPARE(readFile(project.path() + "/emcydef.csv"),
             QByteArray("9,1,2,3,4,5,6,7,8,9,10,18,\r\n3,,a,b,,,,,,,,,39,\r\n"));
}

void TestEmcy::import() {
    QTemporaryDir dir;
    const QString book = dir.filePath("in.xls");
    const QVariant none;
    QVariantList head(EmcyAttributes().begin(), EmcyAttributes().end());
    QVERIFY(MakeXls(book, {{"EMCYDEF",
                            {head,
                             {5, none, 1, 2, 3, 4, 5, 6, 7, 8, 9, 33},
                             {"0x7", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", 18},
                             {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, none},
                             {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0}}}}));
    EmcyTable t;
    t.lists[0].push_back(TClEmcy{{"old"}, false, 0});
    RecordingPrompter prompter;
    QVERIFY(!t.Import(book, prompter));
    QCOMPARE(prompter.texts(), QStringList{"Import stopped at row 4 of the sheet \"EMCYDEF\": the "
                                           "\"bypass_set\" cell is empty."});
    // Empty cells stay empty here; the entries before the stop stay, none is selected.
    QCOMPARE(entriesOf(t, 0), QStringList{"0x7|a|b|c|d|e|f|g|h|i|j|0|9"});
    QCOMPARE(entriesOf(t, 1), QStringList{"5||1|2|3|4|5|6|7|8|9|1|0"});
    QCOMPARE(t.pages[1].selected, -1);
    prompter.clear();
    QVERIFY(!t.Import(dir.filePath("none.xls"), prompter));
    QVERIFY(entriesOf(t, 0).isEmpty() && entriesOf(t, 1).isEmpty());
}

void TestEmcy::exportThenImport() {
    QTemporaryDir project;
    const QString path = project.filePath("emcydef.xml");
    const QByteArray file =
        emcyFile({texts("2") + "|17", texts("10", "x") + "|0", "5||1|2|3|4|5|6|7|8|9|39"});
    writeFile(path, file);
    EmcyTable t;
    RecordingPrompter prompter;
    QVERIFY(t.Show(project.path(), prompter));
    QVERIFY(t.Export(project.path(), prompter));
    XlsSheet sheet{"emcydef", {{"h"}}};
    const QString csv = QString::fromUtf8(readFile(project.path() + "/emcydef.csv"));
    for (const QString& line : csv.chopped(2).split("\r\n")) {
        QVariantList cells;
        for (const QString& v : line.chopped(1).split(','))
            cells << (v.isEmpty() ? QVariant() : QVariant(v));
        sheet.rows.push_back(cells);
    }
    const QString book = project.filePath("back.xls");
    QVERIFY(MakeXls(book, {sheet}));
    const std::array<QStringList, 2> before = {entriesOf(t, 0), entriesOf(t, 1)};
    QVERIFY(t.Import(book, prompter));
    QCOMPARE(entriesOf(t, 0), before[0]);
    QCOMPARE(entriesOf(t, 1), before[1]);
    QCOMPARE(t.pages[0].selected, 0);
    QVERIFY(t.Ok(project.path(), prompter));
    // An empty text that Show read as "0" was exported and imported as "0".
    QCOMPARE(readFile(path), QByteArray(file).replace("mask_eq_ec=\"\"", "mask_eq_ec=\"0\""));
    QVERIFY(prompter.entries.isEmpty());
}

QTEST_GUILESS_MAIN(TestEmcy)
#include "test_emcy.moc"
