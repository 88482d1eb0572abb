#include "common/RecordingPrompter.h"
#include "editors/StorePdoTable.h"

#include "TestSupport.h"
#include "XlsFixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// rpdodef rows, each "cobid:en_bypass".
QByteArray pdoFile(const QStringList& rows) {
    QByteArray xml = "<rpdodef>";
    for (const QString& r : rows)
        xml += QStringLiteral("<row cobid=\"%1\" id_dev_orig=\"1\" en_bypass=\"%2\" posind=\"0\" "
                              "n_tpdo=\"0\"/>")
                   .arg(r.section(':', 0, 0), r.section(':', 1, 1))
                   .toUtf8();
    return xml + "</rpdodef>";
}

// sdopdo rows, each "index|subindex|nrpdo|poscomp".
QByteArray storeFile(const QStringList& rows) {
    QByteArray xml = "<sdopdo>";
    for (const QString& r : rows) {
        const QStringList v = r.split('|');
        xml += QStringLiteral("<row index=\"%1\" subindex=\"%2\" nrpdo=\"%3\" poscomp=\"%4\"/>")
                   .arg(v[0], v[1], v[2], v[3])
                   .toUtf8();
    }
    return xml + "</sdopdo>";
}

// Per side, each PDO as "cobid:index|subindex|poscomp,..." (entries in order).
QStringList pdosOf(const StorePdoTable& t, int side) {
    QStringList out;
    for (const TClPdo& pdo : t.pdos[std::size_t(side)]) {
        QStringList entries;
        for (const TClSdo& e : pdo.entries)
            entries << e.index + '|' + e.subindex + '|' + e.poscomp;
        out << pdo.cobid + ':' + entries.join(',');
    }
    return out;
}

// Three CAN A PDOs and two CAN B PDOs (the PDO editor's CAN B to CAN A grid is CAN A here).
const QByteArray kPdos = pdoFile({"0x181:0", "0x182:1", "0x183:0", "0x201:2", "0x202:3"});

struct Project {
    QTemporaryDir dir;
    StorePdoTable table;
    RecordingPrompter prompter;

    explicit Project(const QByteArray& store = storeFile({}), const QByteArray& pdos = kPdos,
                     const QByteArray& sdo = "<sdo/>") {
        for (const auto& [name, bytes] :
             {std::pair{"rpdodef.xml", pdos}, {"sdo.xml", sdo}, {"sdopdo.xml", store}})
            if (!bytes.isEmpty())
                writeFileOrAbort(dir.filePath(name), bytes);
    }
    bool show() { return table.Show(dir.path(), prompter); }
    QString path(const char* name) const { return QDir::toNativeSeparators(dir.filePath(name)); }
    // Fills side's page and adds an entry to its PDO `pdo`.
    void add(int side, int pdo, const QString& index, const QString& subindex, int high = 0,
             int low = 0) {
        table.SelectPdo(side, pdo);
        StorePdoPage& page = table.pages[std::size_t(side)];
        page.index = index;
        page.subindex = subindex;
        page.high = high;
        page.low = low;
        table.New(side, prompter);
    }
};

} // namespace

class TestStorePdo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void load_data();
    void load();
    void checkEntry_data();
    void checkEntry();
    void positions_data();
    void positions();
    void deleteKeepsNamesUntilSelected();
    void copyAndPaste();
    void save_data();
    void save();
    void leftOutEntriesAskBeforeSave();
    void entriesFollowThePdoNumber();
    void exportLines();
    void import_data();
    void import();
    void exportThenImport();
};

void TestStorePdo::load_data() {
    QTest::addColumn<QByteArray>("store");
    QTest::addColumn<QByteArray>("pdos");
    QTest::addColumn<QByteArray>("sdo");
    QTest::addColumn<QStringList>("sideA");
    QTest::addColumn<QStringList>("sideB");
    QTest::addColumn<QStringList>("messages"); // %d stands for the project folder
    QTest::addColumn<bool>("complete");

    const QByteArray pdos = pdoFile({"0x201:2", "0x181:0", "0x202:3", "0x182:1"});
    QTest::newRow("sides by bit 1 of en_bypass, nrpdo 130")
        << storeFile({"0x2000|1|2|33", "0x3000|0|129|0", "1|2|130|255"}) << pdos << QByteArray()
        << QStringList{"0x181:", "0x182:0x2000|1|33"}
        << QStringList{"0x201:0x3000|0|0", "0x202:1|2|255"} << QStringList{"File SDO XML not found"}
        << true;
    QTest::newRow("nrpdo 5 with three CAN A PDOs")
        << storeFile({"1|1|5|0", "2|2|1|0", "3|3|133|0", "4|4|5|0"}) << kPdos
        << QByteArray("<sdo/>") << QStringList{"0x181:2|2|0", "0x182:", "0x183:"}
        << QStringList{"0x201:", "0x202:"}
        << QStringList{"3 entries of \"%d/sdopdo.xml\" were left out: the PDO table has no CAN A "
                       "PDO 5, no CAN B PDO 5. OK asks before it writes the table without them."}
        << false;
    for (const char* nrpdo : {"0", "128"})
        QTest::addRow("nrpdo %s", nrpdo)
            << storeFile({"1|1|1|0", QString("2|2|%1|0").arg(nrpdo), "3|3|1|0"}) << kPdos
            << QByteArray("<sdo/>") << QStringList{"0x181:1|1|0", "0x182:", "0x183:"}
            << QStringList{"0x201:", "0x202:"}
            << QStringList{"Error in reading file SDOPDO XML",
                           QString("Row 2 of \"%d/sdopdo.xml\" has the \"nrpdo\" value \"%1\", "
                                   "which names no PDO. The table shows the 1 row read before "
                                   "it; OK asks before replacing the file.")
                               .arg(nrpdo)}
            << false;
    QTest::newRow("no files") << QByteArray() << QByteArray() << QByteArray() << QStringList{}
                              << QStringList{}
                              << QStringList{"File SDO XML not found", "File PDO XML not found",
                                             "File SDOPDO XML not found"}
                              << true;
    QTest::newRow("each file read in its own step")
        << storeFile({"1|1|1|0"}) << QByteArray("<rpdodef><row cobid=\"7\" en_bypass=\"x\"/>")
        << QByteArray(
               "<sdo><row IndexA=\"1\" SubindexA=\"1\" conf=\"0\"/><row IndexA=\"1\"/></sdo>")
        << QStringList{} << QStringList{}
        << QStringList{"Error in reading file SDO XML",
                       "Row 2 of \"%d/sdo.xml\" has no attribute \"SubindexA\".",
                       "Error in reading file PDO XML", "\"%d/rpdodef.xml\" cannot be read: *",
                       "1 entry of \"%d/sdopdo.xml\" was left out: the PDO table has no CAN A PDO "
                       "1. OK asks before it writes the table without it."}
        << false;
}

void TestStorePdo::load() {
    QFETCH(QByteArray, store);
    QFETCH(QByteArray, pdos);
    QFETCH(QByteArray, sdo);
    QFETCH(QStringList, sideA);
    QFETCH(QStringList, sideB);
    QFETCH(QStringList, messages);
    QFETCH(bool, complete);
    Project p(store, pdos, sdo);
    QCOMPARE(p.show(), complete);
    QCOMPARE(pdosOf(p.table, 0), sideA);
    QCOMPARE(pdosOf(p.table, 1), sideB);
    for (int side = 0; side < 2; ++side)
        for (std::size_t i = 0; i < p.table.pdos[std::size_t(side)].size(); ++i)
            QCOMPARE(p.table.pdos[std::size_t(side)][i].number, int(i) + 1);
    const QStringList got = p.prompter.texts();
    QCOMPARE(got.size(), messages.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        const QString want = messages[i].replace("%d", QDir::toNativeSeparators(p.dir.path()));
        if (want.endsWith('*'))
            QVERIFY2(got[i].startsWith(want.chopped(1)), qPrintable(got[i]));
        else
            QCOMPARE(got[i], want);
    }
}

void TestStorePdo::checkEntry_data() {
    QTest::addColumn<QStringList>("sdoRows"); // "IndexA|SubindexA|conf"
    QTest::addColumn<QStringList>("entries"); // "side|pdo|index|subindex"
    QTest::addColumn<int>("side");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("subindex");
    QTest::addColumn<int>("pdo"); // the entry being changed: pdo and entry, -1 for a new one
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("outcome"); // "accepted", "refused: <message>" or the error

    const QString exists = "refused: Index or Subindex Not Valid,Sdo Already Exists";
    const QString used = "refused: Index or Subindex Not Valid";
    const QStringList access{"8192|1|0", "8192|2|17"};
    QTest::newRow("SDO access table, same side") << access << QStringList{} << 0 << "0x2000"
                                                 << "1" << -1 << -1 << exists;
    QTest::newRow("SDO access table, other side") << access << QStringList{} << 1 << "0x2000"
                                                  << "1" << -1 << -1 << "accepted";
    QTest::newRow("compared as integers: 05 beside 5")
        << QStringList{} << QStringList{"0|1|0x10|5"} << 0 << "16"
        << "05" << -1 << -1 << used;
    QTest::newRow("another PDO's entry of the same side")
        << QStringList{} << QStringList{"0|0|1|1", "0|2|7|7"} << 0 << "7"
        << "7" << 0 << 0 << used;
    QTest::newRow("modify keeping its own key")
        << QStringList{} << QStringList{"0|0|1|1", "0|2|7|7"} << 0 << "7"
        << "7" << 2 << 0 << "accepted";
    QTest::newRow("the same key on the other side")
        << QStringList{} << QStringList{"1|0|7|7"} << 0 << "7"
        << "7" << -1 << -1 << "accepted";
    QTest::newRow("nothing to compare: any text")
        << QStringList{} << QStringList{"1|0|7|7"} << 0 << ""
        << "" << -1 << -1 << "accepted";
    QTest::newRow("edit not integer text")
        << QStringList{} << QStringList{"0|0|7|7"} << 0 << "7"
        << "7 " << -1 << -1 << "'7 ' is not a valid integer value";
    QTest::newRow("compared entry not integer text")
        << QStringList{"1|x|0"} << QStringList{} << 0 << "1"
        << "1" << -1 << -1 << "'x' is not a valid integer value";
}

void TestStorePdo::checkEntry() {
    QFETCH(QStringList, sdoRows);
    QFETCH(QStringList, entries);
    QFETCH(int, side);
    QFETCH(QString, index);
    QFETCH(QString, subindex);
    QFETCH(int, pdo);
    QFETCH(int, entry);
    QFETCH(QString, outcome);
    QByteArray sdo = "<sdo>";
    for (const QString& r : sdoRows)
        sdo += QStringLiteral("<row IndexA=\"%1\" SubindexA=\"%2\" conf=\"%3\"/>")
                   .arg(r.section('|', 0, 0), r.section('|', 1, 1), r.section('|', 2, 2))
                   .toUtf8();
    Project p({}, kPdos, sdo + "</sdo>");
    p.show();
    for (const QString& e : entries) {
        const QStringList v = e.split('|');
        p.table.pdos[v[0].toUInt()][v[1].toUInt()].entries.push_back({v[2], v[3], "0"});
    }
    p.prompter.clear();
    const Result<bool> refused =
        p.table.CheckSdoEntry(side, index, subindex, pdo, entry, p.prompter);
    const QString got = !refused   ? refused.error()
                        : *refused ? "refused: " + p.prompter.texts().join('|')
                                   : QString("accepted");
    QCOMPARE(got, outcome);
    if (!refused || !*refused)
        QVERIFY(p.prompter.entries.isEmpty());
}

void TestStorePdo::positions_data() {
    QTest::addColumn<QString>("poscomp");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::newRow("33: B2 and B1") << "33" << 2 << 1;
    QTest::newRow("255: B8 in both") << "255" << 8 << 8;
    QTest::newRow("291: bits above 7 ignored") << "291" << 2 << 3;
    QTest::newRow("0x98") << "0x98" << 8 << 8;
    QTest::newRow("not integer text") << "3a" << -1 << -1;
}

// Selecting an entry sets the groups from poscomp; New stores the groups back.
void TestStorePdo::positions() {
    QFETCH(QString, poscomp);
    QFETCH(int, high);
    QFETCH(int, low);
    Project p(storeFile({"0x2000|1|1|" + poscomp}));
    p.show();
    p.table.SelectPdo(0, 0);
    StorePdoPage& page = p.table.pages[0];
    page.index = "kept";
    p.table.SelectEntry(0, 0, p.prompter);
    if (high < 0) {
        QCOMPARE(p.prompter.texts().last(), "'" + poscomp + "' is not a valid integer value");
        QCOMPARE(page.index, QString("kept"));
        return;
    }
    QCOMPARE(page.index, QString("0x2000"));
    QCOMPARE(std::pair(page.high, page.low), std::pair(high, low));
    page.subindex = "2";
    p.table.New(0, p.prompter);
    QCOMPARE(p.table.pdos[0][0].entries[1].poscomp, PoscompText(high, low));
    QCOMPARE(PoscompText(2, 1), QString("33"));
}

void TestStorePdo::deleteKeepsNamesUntilSelected() {
    Project p;
    p.show();
    for (const char* sub : {"1", "2", "3"})
        p.add(0, 1, "0x2000", sub);
    StorePdoPage& page = p.table.pages[0];
    QCOMPARE(page.entryNames, QStringList({"Sdo0", "Sdo1", "Sdo2"}));
    QCOMPARE(page.entry, 2);
    p.table.SelectEntry(0, 1, p.prompter);
    p.table.Delete(0);
    QCOMPARE(page.entryNames, QStringList({"Sdo0", "Sdo2"}));
    QCOMPARE(page.entry, -1);
    QCOMPARE(page.subindex, QString("2")); // the edits keep the removed entry
    p.table.SelectEntry(0, 1, p.prompter);
    QCOMPARE(page.subindex, QString("3"));
    p.table.SelectPdo(0, 1);
    QCOMPARE(page.entryNames, QStringList({"Sdo0", "Sdo1"}));
    QVERIFY(p.prompter.entries.isEmpty());
}

void TestStorePdo::copyAndPaste() {
    Project p;
    p.show();
    StorePdoPage& page = p.table.pages[0];
    page.index = "typed";
    p.table.Paste(0, p.prompter);
    QCOMPARE(p.prompter.texts(), QStringList{"'' is not a valid integer value"});
    QCOMPARE(page.index, QString());
    page = {"0x2000", "4", 3, 7, -1, -1, {}};
    p.table.Copy(0);
    // The copy store outlives the showing; the other side has its own.
    p.show();
    p.table.Paste(0, p.prompter);
    QCOMPARE(std::tuple(page.index, page.subindex, page.high, page.low),
             std::tuple(QString("0x2000"), QString("4"), 3, 7));
    QVERIFY(!p.table.copies[1].filled);
}

void TestStorePdo::save_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QStringList>("added"); // "side|pdo|index|subindex"
    QTest::addColumn<QByteArray>("file");   // empty: left as it was
    QTest::addColumn<QString>("message");

    // Visited in PDO order, then entry order; keys not below the bound come last.
    QTest::newRow("two keys, equal ones in visiting order, CAN B + 128")
        << storeFile({"0x2000|2|1|1", "0x2000|1|2|2", "0x1000|5|1|3", "4096|5|3|4",
                      "0x999999|0x999999|3|5", "0x999999|7|1|6", "1|1|129|9"})
        << QStringList{}
        << storeFile({"0x1000|5|1|3", "4096|5|3|4", "0x2000|1|2|2", "0x2000|2|1|1",
                      "0x999999|7|1|6", "0x999999|0x999999|3|5", "1|1|129|9"})
        << QString();
    QTest::newRow("new entries after the stored ones of their PDO")
        << storeFile({"5|5|2|0"}) << QStringList{"0|1|5|4", "1|1|5|5", "0|0|5|6"}
        << storeFile({"5|4|2|0", "5|5|2|0", "5|6|1|0", "5|5|130|0"}) << QString();
    QTest::newRow("empty texts added on an empty side")
        << QByteArray() << QStringList{"0|0||"} << QByteArray()
        << "'' is not a valid integer value";
    QTest::newRow("no entries") << QByteArray() << QStringList{} << QByteArray("<sdopdo/>")
                                << QString();
}

void TestStorePdo::save() {
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, added);
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    const QByteArray old = "<old/>";
    Project p(stored.isEmpty() ? old : stored);
    QVERIFY(p.show());
    for (const QString& e : added) {
        const QStringList v = e.split('|');
        p.add(v[0].toInt(), v[1].toInt(), v[2], v[3]);
    }
    p.prompter.clear();
    QCOMPARE(p.table.Ok(p.dir.path(), p.prompter), message.isEmpty());
    QCOMPARE(readFile(p.dir.filePath("sdopdo.xml")),
             file.isEmpty() ? (stored.isEmpty() ? old : stored) : file);
    QCOMPARE(p.prompter.texts().filter("integer"),
             message.isEmpty() ? QStringList() : QStringList{message});
}

void TestStorePdo::leftOutEntriesAskBeforeSave() {
    const QByteArray file = storeFile({"1|1|1|0", "2|2|9|0"});
    Project p(file);
    QVERIFY(!p.show());
    p.add(0, 0, "3", "3");
    p.prompter.clear();
    p.prompter.questionAnswers << false << true;
    QVERIFY(!p.table.Ok(p.dir.path(), p.prompter));
    QCOMPARE(readFile(p.dir.filePath("sdopdo.xml")), file);
    QVERIFY(p.table.Ok(p.dir.path(), p.prompter));
    QCOMPARE(readFile(p.dir.filePath("sdopdo.xml")), storeFile({"1|1|1|0", "3|3|1|0"}));
    QCOMPARE(p.prompter.texts().size(), 2);
    QCOMPARE(p.prompter.entries.first().extra, QString("Define Store PDO"));
    // A PDO numbered beyond what the file can tell apart is refused.
    QStringList many;
    for (int i = 0; i < 128; ++i)
        many << QString("0x%1:0").arg(0x200 + i, 0, 16);
    Project big({}, pdoFile(many));
    big.show();
    big.add(0, 127, "1", "1");
    QVERIFY(!big.table.Ok(big.dir.path(), big.prompter));
    QCOMPARE(big.prompter.texts().last(),
             QString("The entries of CAN A PDO 128 cannot be stored: the table file tells at most "
                     "127 PDOs of a side apart."));
}

// Entries belong to a PDO number: when the PDO table's rows change order, they stay with the
// place, not with the cobid.
void TestStorePdo::entriesFollowThePdoNumber() {
    Project p(storeFile({"0x2000|1|1|0", "0x2000|2|2|0"}), pdoFile({"0x181:0", "0x182:0"}));
    QVERIFY(p.show());
    QCOMPARE(pdosOf(p.table, 0), QStringList({"0x181:0x2000|1|0", "0x182:0x2000|2|0"}));
    writeFile(p.dir.filePath("rpdodef.xml"), pdoFile({"0x182:0", "0x181:0"}));
    QVERIFY(p.show());
    QCOMPARE(pdosOf(p.table, 0), QStringList({"0x182:0x2000|1|0", "0x181:0x2000|2|0"}));
}

void TestStorePdo::exportLines() {
    Project p(storeFile({"0x2000|1|1|33", "a,b||1|", "7|7|130|0"}));
    QVERIFY(p.show());
    QVERIFY(p.table.Export(p.dir.path(), p.prompter));
    QCOMPARE(readFile(p.dir.path() + "/sdopdo.csv"),
             QByteArray("0x2000,1,1,33,\r\na,b,,1,,\r\n7,7,130,0,\r\n"));
    Project empty;
    empty.show();
    QVERIFY(empty.table.Export(empty.dir.path(), empty.prompter));
    QCOMPARE(readFile(empty.dir.path() + "/sdopdo.csv"), QByteArray());
}

void TestStorePdo::import_data() {
    QTest::addColumn<std::vector<QVariantList>>("rows"); // after the heading row
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QStringList>("sideA");
    QTest::addColumn<QStringList>("messages");

    const QVariant none;
    QTest::newRow("sides, empty cells, numbers")
        << std::vector<QVariantList>{{"0x2000", 1, 2, 33}, {4096, none, 130, none}, {1, 1, 3, 0}}
        << "SdoPdo" << QStringList{"0x181:", "0x182:0x2000|1|33", "0x183:1|1|0"} << QStringList{};
    QTest::newRow("a PDO the table does not have is left out, the rest placed")
        << std::vector<QVariantList>{{1, 1, 5, 0}, {2, 2, 1, 0}, {3, 3, 140, 0}} << "sdopdo"
        << QStringList{"0x181:2|2|0", "0x182:", "0x183:"}
        << QStringList{"Import left out 2 records of the sheet \"sdopdo\": row 2: the \"nrpdo\" "
                       "value 5 names CAN A PDO 5, which the PDO table does not have; row 4: "
                       "the \"nrpdo\" value 140 names CAN B PDO 12, which the PDO table does not "
                       "have."};
    QTest::newRow("nrpdo 128 ends the import")
        << std::vector<QVariantList>{{1, 1, 1, 0}, {2, 2, 128, 0}, {3, 3, 1, 0}} << "sdopdo"
        << QStringList{"0x181:1|1|0", "0x182:", "0x183:"}
        << QStringList{"Import stopped at row 3 of the sheet \"sdopdo\": the \"nrpdo\" cell "
                       "\"128\" names no PDO."};
    QTest::newRow("empty nrpdo ends the import")
        << std::vector<QVariantList>{{1, 1, none, 0}} << "sdopdo"
        << QStringList{"0x181:", "0x182:", "0x183:"}
        << QStringList{"Import stopped at row 2 of the sheet \"sdopdo\": the \"nrpdo\" cell is "
                       "empty."};
    QTest::newRow("no such sheet: the entries stay")
        << std::vector<QVariantList>{{1, 1, 1, 0}} << "pdo"
        << QStringList{"0x181:9|9|0", "0x182:", "0x183:"}
        << QStringList{"Import stopped: \"%book%\" has no sheet named \"sdopdo\"."};
}

void TestStorePdo::import() {
    QFETCH(std::vector<QVariantList>, rows);
    QFETCH(QString, sheet);
    QFETCH(QStringList, sideA);
    QFETCH(QStringList, messages);
    Project p(storeFile({"9|9|1|0", "8|8|129|0"}));
    p.show();
    p.table.SelectPdo(0, 1);
    rows.insert(rows.begin(), QVariantList{"index", "subindex", "nrpdo", "poscomp"});
    const QString book = p.dir.filePath("in.xls");
    QVERIFY(MakeXls(book, {{sheet, rows}}));
    p.prompter.clear();
    QCOMPARE(p.table.Import(book, p.prompter), messages.isEmpty());
    QCOMPARE(pdosOf(p.table, 0), sideA);
    for (QString& m : messages)
        m.replace("%book%", QDir::toNativeSeparators(book));
    QCOMPARE(p.prompter.texts(), messages);
    // Nothing is selected afterwards: a New waits for a PDO to be chosen.
    QCOMPARE(p.table.pages[0].pdo, -1);
    QVERIFY(p.table.pages[0].entryNames.isEmpty());
}

// The export, saved as a workbook, comes back entry for entry.
void TestStorePdo::exportThenImport() {
    const QByteArray file = storeFile({"0x2000|1|1|33", "0x2001|3|3|0", "7|7|130|255"});
    Project p(file);
    QVERIFY(p.show());
    QVERIFY(p.table.Export(p.dir.path(), p.prompter));
    XlsSheet sheet{"sdopdo", {{"h"}}};
    const QString csv = QString::fromUtf8(readFile(p.dir.path() + "/sdopdo.csv"));
    for (const QString& line : csv.chopped(2).split("\r\n")) {
        QVariantList cells;
        for (const QString& v : line.chopped(1).split(','))
            cells << v;
        sheet.rows.push_back(cells);
    }
    const QString book = p.dir.filePath("back.xls");
    QVERIFY(MakeXls(book, {sheet}));
    const std::array<QStringList, 2> before = {pdosOf(p.table, 0), pdosOf(p.table, 1)};
    QVERIFY(p.table.Import(book, p.prompter));
    QCOMPARE(pdosOf(p.table, 0), before[0]);
    QCOMPARE(pdosOf(p.table, 1), before[1]);
    QVERIFY(p.table.Ok(p.dir.path(), p.prompter));
    QCOMPARE(readFile(p.dir.filePath("sdopdo.xml")), file);
    QVERIFY(p.prompter.entries.isEmpty());
}

QTEST_GUILESS_MAIN(TestStorePdo)
#include "test_storepdo.moc"
