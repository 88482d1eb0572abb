#include "common/RecordingPrompter.h"
#include "editors/EmcyWordTable.h"

#include "TestSupport.h"
#include "XlsFixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A row of the table file: the key texts and the direction, every bit n given b0 "<n>a",
// b1 "<n>b" (or empty masks) and poscomp "0".
QByteArray wordRow(const QString& index, const QString& subindex, const QString& extdata,
                   const QString& devid, bool masks = true) {
    QStringList values{index, subindex, extdata, devid};
    for (int n = 0; n < kWordBits; ++n)
        values << (masks ? QString("%1a").arg(n) : QString())
               << (masks ? QString("%1b").arg(n) : QString()) << "0";
    QByteArray xml = "<row";
    for (qsizetype i = 0; i < values.size(); ++i)
        xml += QStringLiteral(" %1=\"%2\"").arg(EmcyWordAttributes()[i], values[i]).toUtf8();
    return xml + "/>";
}

QByteArray wordFile(const QList<QByteArray>& rows) {
    return "<emcyword>" + rows.join() + "</emcyword>";
}

// Each word as its label and key texts: "W0:index|subindex|devid".
QStringList wordsOf(const EmcyWordTable& t, int side) {
    QStringList out;
    const auto& list = t.words[std::size_t(side)];
    for (std::size_t i = 0; i < list.size(); ++i)
        out << QStringLiteral("W%1:%2|%3|%4")
                   .arg(t.tree(side).label(int(i)))
                   .arg(list[i].index_addrm, list[i].subindex, list[i].devid);
    return out;
}

void typeKey(EmcyWordTable& t, int side, const QString& index, const QString& subindex,
             const QString& devid) {
    EmcyWordPage& page = t.pages[std::size_t(side)];
    page.index = index;
    page.subindex = subindex;
    page.devid = devid;
}

} // namespace

class TestEmcyWord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void load();
    void nodePositions_data();
    void nodePositions();
    void showBit_data();
    void showBit();
    void modifyBit_data();
    void modifyBit();
    void wordKey_data();
    void wordKey();
    void deleteKeepsLabels();
    void save();
    void exportLine();
    void import();
};

void TestEmcyWord::load() {
    QTemporaryDir project;
    const QString path = project.filePath("emcyword.xml");
    writeFile(path, wordFile({wordRow("1", "1", "0", "5"), wordRow("2", "2", "1", "5"),
                              wordRow("3", "3", "2", "5"), wordRow("4", "4", "0", "5"),
                              wordRow("5", "5", "-1", "5")}));
    EmcyWordTable t;
    RecordingPrompter prompter;
    QVERIFY(!t.Show(project.path(), prompter));
    QCOMPARE(wordsOf(t, 0), QStringList({"W0:1|1|5", "W1:4|4|5"}));
    QCOMPARE(wordsOf(t, 1), QStringList{"W0:2|2|5"});
    QCOMPARE(t.words[0][1].bits[15].b1, QString("15b"));
    QCOMPARE(t.tree(0).rowCount(t.tree(0).index(1, 0)), 16);
    QCOMPARE(t.tree(0).index(15, 0, t.tree(0).index(1, 0)).data().toString(), QString("Bit15"));
    QCOMPARE(prompter.texts(),
             QStringList{"2 rows of \"" + QDir::toNativeSeparators(path) +
                         "\" were left out: their \"extdata\" is neither 0 nor 1 (rows 3, 5). OK "
                         "asks before it writes the table without them."});
    // Declined, the file stays; accepted, it is written without them.
    prompter.clear();
    prompter.questionAnswers << false << true;
    const QByteArray before = readFile(path);
    QVERIFY(!t.Ok(project.path(), prompter));
    QCOMPARE(readFile(path), before);
    QVERIFY(t.Ok(project.path(), prompter));
    QCOMPARE(readFile(path).count("<row "), 3);
    // A missing attribute ends the load with the words read so far.
    writeFile(path, wordFile({wordRow("1", "1", "1", "5"), "<row index_addrm=\"2\"/>"}));
    prompter.clear();
    QVERIFY(!t.Show(project.path(), prompter));
    QCOMPARE(wordsOf(t, 1), QStringList{"W0:1|1|5"});
    QCOMPARE(prompter.texts().first(), QString("Error in reading file XML"));
}

void TestEmcyWord::nodePositions_data() {
    QTest::addColumn<int>("node");
    QTest::addColumn<QString>("wordCaption");
    QTest::addColumn<QString>("bitCaption");
    QTest::addColumn<QString>("masks"); // b0|b1 shown; empty for a word node
    QTest::newRow("word 0") << 0 << "Word n°0 Emcy Define "
                            << "Mask BIT n°0 Define"
                            << "";
    QTest::newRow("bit 3 of the second word") << 21 << "Word n°1 Emcy Define "
                                              << "Mask BIT n°21 Define"
                                              << "3a|3b";
    QTest::newRow("second word") << 17 << "Word n°1 Emcy Define "
                                 << "Mask BIT n°17 Define"
                                 << "";
    QTest::newRow("bit 15 of the first") << 16 << "Word n°0 Emcy Define "
                                         << "Mask BIT n°16 Define"
                                         << "15a|15b";
}

void TestEmcyWord::nodePositions() {
    QFETCH(int, node);
    QFETCH(QString, wordCaption);
    QFETCH(QString, bitCaption);
    QFETCH(QString, masks);
    QTemporaryDir project;
    writeFile(project.filePath("emcyword.xml"),
              wordFile({wordRow("1", "1", "0", "5"), wordRow("2", "2", "0", "6")}));
    EmcyWordTable t;
    RecordingPrompter prompter;
    QCOMPARE(t.wordCaption, QString("Word n°  Emcy Define"));
    QVERIFY(t.Show(project.path(), prompter));
    // The position the tree gives a node and the node at a position agree.
    const QModelIndex index = t.tree(0).NodeIndex(node);
    QCOMPARE(WordTreeModel::NodePosition(index), node);
    QCOMPARE(index.data(WordTreeModel::KindRole).toInt(), node % 17 == 0 ? 0 : 1);
    EmcyWordPage& page = t.pages[0];
    page.b0 = page.first = "stale";
    QVERIFY(t.ShowNode(node, 0).ok());
    QCOMPARE(t.wordCaption, wordCaption);
    QCOMPARE(t.bitCaption, bitCaption);
    QCOMPARE(page.devid, QString(node < 17 ? "5" : "6"));
    QCOMPARE(masks.isEmpty() ? QString() : page.b0 + '|' + page.b1, masks);
    QCOMPARE(page.first, QString(masks.isEmpty() ? "" : "0"));
    QVERIFY(prompter.entries.isEmpty());
}

void TestEmcyWord::showBit_data() {
    QTest::addColumn<QString>("poscomp");
    QTest::addColumn<QString>("first"); // "stale": kept, with the error report
    QTest::addColumn<QString>("second");
    QTest::newRow("291") << "291"
                         << "18"
                         << "3";
    QTest::newRow("-1") << "-1"
                        << "4095"
                        << "15";
    QTest::newRow("65552 taken modulo 65536") << "65552"
                                              << "1"
                                              << "0";
    QTest::newRow("empty, as in a new word") << ""
                                             << "stale"
                                             << "stale";
}

void TestEmcyWord::showBit() {
    QFETCH(QString, poscomp);
    QFETCH(QString, first);
    QFETCH(QString, second);
    EmcyWordTable t;
    TClWEmcy word;
    word.bits[2] = {"m0", "m1", poscomp};
    t.words[1].push_back(word);
    t.tree(1).appendWord(0);
    EmcyWordPage& page = t.pages[1];
    page.first = page.second = "stale";
    const Result<> shown = t.ShowNode(3, 1);
    QCOMPARE(page.b0 + page.b1, QString("m0m1"));
    QCOMPARE(std::pair(page.first, page.second), std::pair(first, second));
    QCOMPARE(shown.error(), first == "stale" ? "'' is not a valid integer value" : QString());
}

void TestEmcyWord::modifyBit_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("stored"); // poscomp; empty: nothing stored
    QTest::newRow("18 and 3") << "18"
                              << "3"
                              << "291";
    QTest::newRow("4096 and 0") << "4096"
                                << "0"
                                << "0";
    QTest::newRow("hex") << "$FFF"
                         << "15"
                         << "65535";
    QTest::newRow("negative, modulo 65536") << "-1"
                                            << "0"
                                            << "65520";
    QTest::newRow("first not integer text") << "1 "
                                            << "3"
                                            << "";
    QTest::newRow("second not integer text") << "1"
                                             << ""
                                             << "";
}

// A bit takes its three values together or not at all.
void TestEmcyWord::modifyBit() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, stored);
    EmcyWordTable t;
    TClWEmcy word;
    word.index_addrm = "i";
    word.bits[0] = {"old0", "old1", "7"};
    t.words[0] = {word, word};
    t.tree(0).setLabels({0, 1});
    EmcyWordPage& page = t.pages[0];
    page = {"new-i", "s", "d", "b0", "b1", first, second};
    RecordingPrompter prompter;
    t.Modify(0, 18, prompter);
    const ClEbm& bit = t.words[0][1].bits[0];
    if (stored.isEmpty()) {
        QCOMPARE(bit.b0 + bit.b1 + bit.poscomp, QString("old0old17"));
        QCOMPARE(prompter.texts().size(), 1);
        QVERIFY(prompter.texts().first().endsWith("is not a valid integer value"));
    } else {
        QCOMPARE(bit.b0 + bit.b1 + bit.poscomp, "b0b1" + stored);
        QVERIFY(prompter.entries.isEmpty());
    }
    QCOMPARE(t.words[0][1].index_addrm, QString("i"));
}

void TestEmcyWord::wordKey_data() {
    QTest::addColumn<QString>("op");  // new or modify
    QTest::addColumn<QString>("key"); // index|subindex|devid typed
    QTest::addColumn<bool>("accepted");
    QTest::newRow("new, texts differ from 4096|1|5") << "new"
                                                     << "0x1000|1|5" << true;
    QTest::newRow("new, same texts") << "new"
                                     << "4096|1|5" << false;
    QTest::newRow("new, same key on the other side only") << "new"
                                                          << "7|7|7" << true;
    QTest::newRow("new, empty device ID") << "new"
                                          << "1|1|" << false;
    QTest::newRow("modify keeping its own key") << "modify"
                                                << "9|9|9" << true;
    QTest::newRow("modify to another's key") << "modify"
                                             << "4096|1|5" << false;
    QTest::newRow("modify, empty subindex") << "modify"
                                            << "9||9" << false;
}

void TestEmcyWord::wordKey() {
    QFETCH(QString, op);
    QFETCH(QString, key);
    QFETCH(bool, accepted);
    EmcyWordTable t;
    RecordingPrompter prompter;
    for (const auto& [side, k] : {std::pair{0, "4096|1|5"}, {0, "9|9|9"}, {1, "7|7|7"}}) {
        const QStringList v = QString(k).split('|');
        typeKey(t, side, v[0], v[1], v[2]);
        t.New(side, prompter);
    }
    const QStringList before = wordsOf(t, 0);
    const QStringList v = key.split('|');
    typeKey(t, 0, v[0], v[1], v[2]);
    if (op == "new")
        t.New(0, prompter);
    else
        t.Modify(0, 17, prompter);
    QCOMPARE(prompter.texts(), accepted ? QStringList() : QStringList{"Index Not Valid"});
    QStringList after = before;
    if (accepted && op == "new")
        after << "W2:" + key;
    else if (accepted)
        after[1] = "W1:" + key;
    QCOMPARE(wordsOf(t, 0), after);
}

void TestEmcyWord::deleteKeepsLabels() {
    EmcyWordTable t;
    RecordingPrompter prompter;
    for (const char* n : {"0", "1", "2"}) {
        typeKey(t, 0, n, n, n);
        t.New(0, prompter);
    }
    QVERIFY(!t.Delete(0, 18)); // a bit node
    QVERIFY(!t.Delete(0, -1));
    QVERIFY(t.Delete(0, 17));
    QCOMPARE(wordsOf(t, 0), QStringList({"W0:0|0|0", "W2:2|2|2"}));
    typeKey(t, 0, "3", "3", "3");
    t.New(0, prompter);
    QCOMPARE(wordsOf(t, 0), QStringList({"W0:0|0|0", "W2:2|2|2", "W3:3|3|3"}));
    QVERIFY(t.ShowNode(17, 0).ok());
    QCOMPARE(t.wordCaption, QString("Word n°1 Emcy Define "));
    QCOMPARE(t.pages[0].devid, QString("2"));
    QVERIFY(prompter.entries.isEmpty());
}

void TestEmcyWord::save() {
    QTemporaryDir project;
    const QString path = project.filePath("emcyword.xml");
    EmcyWordTable t;
    RecordingPrompter prompter;
    // (device, index, subindex) per word; equal keys: the later first; above the bound last.
    const std::pair<int, const char*> words[] = {
        {0, "5|8192|7"}, {0, "5|8193|2"},   {0, "3|8192|1"},    {1, "2|0x1000|1"},
        {0, "5|4096|1"}, {0, "5|0x1000|1"}, {0, "1000000|1|1"}, {0, "999999|999999|999999"}};
    for (const auto& [side, key] : words) {
        const QStringList v = QString(key).split('|');
        TClWEmcy w;
        w.devid = v[0];
        w.index_addrm = v[1];
        w.subindex = v[2];
        w.bits.fill({"", "", "0"});
        t.words[std::size_t(side)].push_back(w);
    }
    QVERIFY(t.Ok(project.path(), prompter));
    const auto row = [](const char* i, const char* s, const char* e, const char* d) {
        return wordRow(i, s, e, d, false);
    };
    QCOMPARE(readFile(path),
             wordFile({row("8192", "1", "0", "3"), row("0x1000", "1", "0", "5"),
                       row("4096", "1", "0", "5"), row("8192", "7", "0", "5"),
                       row("8193", "2", "0", "5"), row("999999", "999999", "0", "999999"),
                       row("1", "1", "0", "1000000"), row("0x1000", "1", "1", "2")}));
    t.words[1][0].subindex = "1 ";
    QVERIFY(!t.Ok(project.path(), prompter));
    QCOMPARE(prompter.texts(), QStringList{"'1 ' is not a valid integer value"});
}

void TestEmcyWord::exportLine() {
    QTemporaryDir project;
    EmcyWordTable t;
    RecordingPrompter prompter;
    typeKey(t, 1, "0x2000", "1", "5");
    t.New(1, prompter);
    typeKey(t, 0, "a", "b", "c");
    t.New(0, prompter);
    t.words[0][0].bits[15] = {"x", "y", "z"};
    QVERIFY(t.Export(project.path(), prompter));
    QCOMPARE(readFile(project.path() + "/emcyword.csv"), "a,b,c,0," + QByteArray(45, ',') +
                                                             "x,y,z,\r\n0x2000,1,5,0," +
                                                             QByteArray(48, ',') + "\r\n");
}

void TestEmcyWord::import() {
    QTemporaryDir dir;
    const QString book = dir.filePath("in.xls");
    const QVariant none;
    const auto record = [&](QVariant index, QVariant direction, QVariant devid) {
        QVariantList r{index, 1, direction, devid};
        for (int n = 0; n < kWordBits; ++n)
            r << QString("%1a").arg(n) << none << 16 * n + 1;
        return r;
    };
    const QVariantList head(EmcyWordAttributes().begin(), EmcyWordAttributes().end());
    QVERIFY(MakeXls(book, {{"emcyword",
                            {head, record(8192, 1, 5), record("w", 0, none), record(1, 3, 1),
                             record(2, 0, 2), record(3, "x", 3), record(4, 0, 4)}}}));
    EmcyWordTable t;
    RecordingPrompter prompter;
    QVERIFY(!t.Import(book, prompter));
    QCOMPARE(wordsOf(t, 0), QStringList({"W0:w|1|", "W1:2|1|2"}));
    QCOMPARE(wordsOf(t, 1), QStringList{"W0:8192|1|5"});
    const ClEbm& bit = t.words[1][0].bits[4];
    QCOMPARE(bit.b0 + '|' + bit.b1 + '|' + bit.poscomp, QString("4a||65"));
    QCOMPARE(prompter.texts(),
             QStringList({"Import left out 1 record of the sheet \"emcyword\": row 4: the "
                          "\"extdata\" cell \"3\" is neither 0 nor 1.",
                          "Import stopped at row 6 of the sheet \"emcyword\": the \"extdata\" "
                          "cell \"x\" is not an integer value."}));
    // The export puts the device ID where the import reads the direction, and "0" where it
    // reads the device: read back, a word of device 1 comes back as a CAN B word of device 0,
    // one of device 5 is left out.
    t.ClearTrees();
    for (const char* devid : {"1", "5"}) {
        typeKey(t, 0, "2", "1", devid);
        t.New(0, prompter);
    }
    QVERIFY(t.Export(dir.path(), prompter));
    XlsSheet sheet{"emcyword", {head}};
    const QString csv = QString::fromUtf8(readFile(dir.path() + "/emcyword.csv"));
    for (const QString& line : csv.chopped(2).split("\r\n")) {
        QVariantList cells;
        for (const QString& v : line.chopped(1).split(','))
            cells << v;
        sheet.rows.push_back(cells);
    }
    QVERIFY(MakeXls(book, {sheet}));
    prompter.clear();
    QVERIFY(!t.Import(book, prompter));
    QCOMPARE(wordsOf(t, 0), QStringList{});
    QCOMPARE(wordsOf(t, 1), QStringList{"W0:2|1|0"});
    QCOMPARE(prompter.texts(),
             QStringList{"Import left out 1 record of the sheet \"emcyword\": row 3: the "
                         "\"extdata\" cell \"5\" is neither 0 nor 1."});
}

QTEST_GUILESS_MAIN(TestEmcyWord)
#include "test_emcyword.moc"
