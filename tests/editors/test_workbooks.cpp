#include "common/RecordingPrompter.h"
#include "editors/PackageCheck.h"
#include "editors/TableEditor.h"
#include "editors/Workbook.h"

#include "TestSupport.h"
#include "WorkbookFixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One table as every format saves it: the sheet's heading row, its records, and what the
// editor holds after importing it, one line per row: "<page caption>|<cells after N°>".
struct TableCase {
    QString table;
    QVariantList headings;
    std::vector<QVariantList> records;
    QStringList listing;
};

const QVariant none;

// Each editor's import adds its table here.
const std::vector<TableCase>& tableCases() {
    static const std::vector<TableCase> cases = {
        {"sdo",
         {"conf", "IndexA", "SubindexA", "devIDB", "IndexB", "SubindexB", "nbyteB", "mnemonico"},
         {{16, "0x1000", 1, 5, "0x2000", 0.5, 2, "Température"},
          {17, 4096, none, 1e7, -3, " 26", none, none},
          {0, "$1A", 0, 127, "x1a", 2.25, 4, "a b"},
          {1}},
         {"SDO from CAN A request to CAN B|1|0x1000|1|5|0x2000|0.5|2|Température",
          "SDO from CAN A request to CAN B|0|$1A|0|127|x1a|2.25|4|a b",
          "SDO from CAN B request to CAN A|1|4096||10000000|-3| 26||",
          "SDO from CAN B request to CAN A|0|||||||"}},
        {"rpdodef",
         {"cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"},
         {{"0x181", 1, 0, "p", none},
          {"0x182", 2, 1, 0, 1},
          {385, 3, 2, 0, 0},
          {"0x201", 4, 3, 1, 1},
          {513, 5, 10, none, 2},
          {"$202", 6, 11, "q", 3}},
         {"PDO From CanA to CanB|0x181|1|0|p|", "PDO From CanA to CanB|0x182|2|1|0|1",
          "PDO From CanB to CanA|385|3|0|0|0", "PDO From CanB to CanA|0x201|4|1|1|1",
          "PDO From CanB to CanA|513|5|0||2", "PDO From CanB to CanA|$202|6|1|q|3"}},
    };
    return cases;
}

const QStringList kFormats = {"xls", "xlsx", "ods", "csv"};

QString csvText(const QVariant& cell) {
    if (!cell.isValid())
        return {};
    if (cell.typeId() == QMetaType::QString)
        return cell.toString();
    return NumberText(cell.toDouble());
}

// As the editor's Export writes it: every value followed by ",", CR LF, a title line only
// where that table's export has one.
QByteArray csvExport(const TableCase& c, bool titleLine) {
    std::vector<QVariantList> lines = c.records;
    if (titleLine)
        lines.insert(lines.begin(), c.headings);
    QByteArray out;
    for (const QVariantList& line : lines) {
        for (const QVariant& cell : line)
            out += csvText(cell).toUtf8() + ',';
        out += "\r\n";
    }
    return out;
}

QStringList listingOf(const TableEditor& editor) {
    QStringList lines;
    for (const TableListing& l : editor.Listings())
        for (const QStringList& row : l.rows)
            lines << (QStringList(l.caption) + row.mid(1)).join('|');
    return lines;
}

// The sheets of a workbook as "name: cell|cell / cell|cell", or the failure.
QString describe(const QString& path) {
    Result<std::unique_ptr<Workbook>> book = OpenWorkbook(path);
    if (!book)
        return book.error();
    QStringList sheets;
    for (int s = 0; s < (*book)->sheetNames().size(); ++s) {
        const Result<std::vector<QStringList>> records = (*book)->records(s);
        QStringList rows;
        if (!records)
            rows << records.error();
        else
            for (const QStringList& r : *records)
                rows << r.join('|');
        sheets << (*book)->sheetNames()[s] + ": " + rows.join(" / ");
    }
    return sheets.join("; ");
}

} // namespace

class TestWorkbooks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyFormatImportsAlike_data();
    void everyFormatImportsAlike();
    void readers_data();
    void readers();
    void fullSheetIsRefused_data();
    void fullSheetIsRefused();
    void packageCheck_data();
    void packageCheck();

private:
    QTemporaryDir dir;
};

void TestWorkbooks::everyFormatImportsAlike_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("format");
    for (std::size_t i = 0; i < tableCases().size(); ++i)
        for (const QString& format : kFormats)
            QTest::newRow(qPrintable(tableCases()[i].table + "." + format)) << int(i) << format;
}

// The same table saved by other programs in each format, imported by its editor: the same
// rows in the same grids, with the same texts.
void TestWorkbooks::everyFormatImportsAlike() {
    QFETCH(int, index);
    QFETCH(QString, format);
    const TableCase& c = tableCases()[std::size_t(index)];
    std::unique_ptr<TableEditor> editor = MakeTableEditor(c.table);
    QVERIFY(editor);
    QVERIFY(QDir(dir.path()).mkpath(format));
    const QString path = dir.filePath(format + "/" + c.table + "." + format);
    if (format == "csv") {
        writeFile(path, csvExport(c, editor->ExportHasTitleLine()));
    } else {
        WorkbookSheet sheet{c.table, {c.headings}};
        sheet.rows.insert(sheet.rows.end(), c.records.begin(), c.records.end());
        QVERIFY2(MakeWorkbook(path, {{"other", {{"x"}, {1}}}, sheet}), "python could not write");
    }
    RecordingPrompter prompter;
    QVERIFY(editor->Import(path, prompter));
    QCOMPARE(prompter.texts(), QStringList{});
    QCOMPARE(listingOf(*editor), c.listing);
}

void TestWorkbooks::readers_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty: the file of that name in tests/editors/data
    QTest::addColumn<QString>("expected"); // the path shows as %path%

    QTest::newRow("export of a table with a title line")
        << "sdo.csv" << QByteArray("0,RW,Index,\r\n16,a,,\r\n,\r\n1,b,c,\r\n")
        << "sdo: 16|a| / || / 1|b|c";
    QTest::newRow("LF ends, a byte order mark, no last comma, name in capitals")
        << "RPDODEF.csv"
        << QByteArray("\xEF\xBB\xBF"
                      "h\n0x181,1\n2,,3\n")
        << "RPDODEF: 0x181|1| / 2||3";
    QTest::newRow("export of a table without a title line")
        << "sdopdo.csv" << QByteArray("1,2,3,\r\n4,5,6,\r\n") << "sdopdo: 1|2|3 / 4|5|6";
    QTest::newRow("empty export") << "sdo.csv" << QByteArray() << "sdo: ";
    QTest::newRow("package of shared strings, rich text, formula, cells without a reference")
        << "sharedstrings.xlsx" << QByteArray() << "Sdo: 17|0x1000|2.5||3|a  b|1|m";
    // found by fuzzing: 33 554 434 rows of no columns, read one record each
    QTest::newRow("rows without columns") << "rows-without-columns.xls" << QByteArray()
                                          << "sdo: The sheet \"sdo\" is too large to import.";
    QTest::newRow("text named .xlsx")
        << "a.xlsx" << QByteArray("cobid,id\r\n") << "\"%path%\" is not an Excel workbook (.xlsx).";
    QTest::newRow("text named .ods") << "a.ods" << QByteArray("cobid,id\r\n")
                                     << "\"%path%\" is not an OpenDocument spreadsheet (.ods).";
    QTest::newRow("zip of no workbook")
        << "a.xlsx" << QByteArray("PK\x05\x06", 4) + QByteArray(18, 0)
        << "\"%path%\" is not an Excel workbook (.xlsx).";
    // Orcus would allocate what a damaged entry claims.
    QByteArray claimsMuch = readFile(QUENZOR_SOURCE_DIR "/tests/editors/data/sharedstrings.xlsx");
    const qsizetype central = claimsMuch.indexOf("PK\x01\x02");
    QVERIFY(central > 0);
    claimsMuch.replace(central + 24, 4, "\xFF\xFF\xFF\x7F");
    QTest::newRow("entry claiming 2 GiB")
        << "big.xlsx" << claimsMuch << "\"%path%\" is not an Excel workbook (.xlsx).";
}

void TestWorkbooks::readers() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QString path = QStringLiteral(QUENZOR_SOURCE_DIR "/tests/editors/data/") + name;
    if (!bytes.isEmpty() || !QFile::exists(path))
        path = writeFileOrAbort(dir.filePath(name), bytes);
    QCOMPARE(describe(path), QString(expected).replace("%path%", QDir::toNativeSeparators(path)));
}

void TestWorkbooks::fullSheetIsRefused_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("xls") << "xls";
    QTest::newRow("xlsx") << "xlsx";
}

// A sheet whose far corner is used, the largest an .xls can be: fuzzing found that reading it
// all took the import's child longer than it is given.
void TestWorkbooks::fullSheetIsRefused() {
    QFETCH(QString, format);
    WorkbookSheet sheet{"Sdo", std::vector<QVariantList>(65536)};
    sheet.rows.back() = QVariantList(256);
    sheet.rows.back().back() = 1;
    const QString path = dir.filePath("full." + format);
    QVERIFY(MakeWorkbook(path, {sheet}));
    QCOMPARE(describe(path), QString("Sdo: The sheet \"Sdo\" is too large to import."));
}

// Orcus allocates what the package claims, in whichever way it walks the directory: the check
// must refuse every package it could walk otherwise.
void TestWorkbooks::packageCheck_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("within");
    const QByteArray intact = readFile(QUENZOR_SOURCE_DIR "/tests/editors/data/sharedstrings.xlsx");
    const qsizetype end = intact.lastIndexOf("PK\x05\x06");
    QVERIFY(end > 0);
    QTest::newRow("intact") << intact << true;
    // found by fuzzing: Orcus asked for 2 GiB
    QTest::newRow("entry counts differ")
        << readFile(QUENZOR_SOURCE_DIR "/tests/editors/data/counts-differ.xlsx") << false;
    // found by fuzzing: 188 packed bytes claiming 64 MiB kept the reader busy for seconds
    QTest::newRow("more unpacked than deflate can give")
        << readFile(QUENZOR_SOURCE_DIR "/tests/editors/data/claims-64mib.xlsx") << false;
    // found by fuzzing: no entries declared, and Orcus read the one found there, 4 GiB packed
    QTest::newRow("a directory record beyond the declared count")
        << readFile(QUENZOR_SOURCE_DIR "/tests/editors/data/uncounted-entry.xlsx") << false;
    QByteArray longer = intact;
    longer[end + 12] = char(longer[end + 12] + 1);
    QTest::newRow("directory longer than its entries") << longer << false;
    QByteArray secondDisk = intact;
    secondDisk[end + 4] = 1;
    QTest::newRow("second disk") << secondDisk << false;
}

void TestWorkbooks::packageCheck() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, within);
    QCOMPARE(PackageSizesWithin(bytes), within);
}

QTEST_GUILESS_MAIN(TestWorkbooks)
#include "test_workbooks.moc"
