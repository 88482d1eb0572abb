#include "tools/StringsFile.h"
#include "tools/XmlTree.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Rows = QList<TXmlTreeRow>;
Q_DECLARE_METATYPE(Rows)

namespace {

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes) {
    return writeFileOrAbort(folder + QLatin1Char('/') + name, bytes);
}

// Rows written compactly: "depth image caption".
Rows rows(std::initializer_list<std::tuple<int, int, const char*>> list) {
    Rows out;
    for (const auto& [depth, image, caption] : list)
        out.append({depth, image, QString::fromUtf8(caption)});
    return out;
}

} // namespace

namespace QTest {
template <> char* toString(const TXmlTreeRow& row) {
    return qstrdup(QStringLiteral("{%1, %2, \"%3\"}")
                       .arg(row.Depth)
                       .arg(row.ImageIndex)
                       .arg(row.Caption)
                       .toUtf8());
}
} // namespace QTest

class TestXmlTree : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadRows_data();
    void loadRows();
    void loadErrors();
    void compose_data();
    void compose();
    void composeErrors_data();
    void composeErrors();
    void roundTrip_data();
    void roundTrip();
    void roundTripDeep();
    void target_data();
    void target();
    void saveReplacesAndReports();
    void stringsFile();
    void stringsFileErrors();
    void stringsFileOverLimit();
};

void TestXmlTree::loadRows_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Rows>("expected");

    QTest::newRow("price") << QByteArray("<price>12</price>")
                           << rows({{0, 0, "File: in.xml"}, {1, 2, "price = 12"}});
    QTest::newRow("declaration with pseudo-attributes")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a b='1'><?p d?></a>")
        << rows({{0, 0, "File: in.xml"},
                 {1, 8, "XMLDeclaration"},
                 {2, 4, "version = 1.0"},
                 {2, 4, "encoding = UTF-8"},
                 {1, 2, "a"},
                 {2, 4, "b = 1"},
                 {2, 6, "pProcessingInstruction = d"}});
    QTest::newRow("UTF-8 text") << QByteArray("<a>caf\xC3\xA9</a>")
                                << rows({{0, 0, "File: in.xml"}, {1, 2, "a = caf\xC3\xA9"}});
    QTest::newRow("Windows-1252 text")
        << QByteArray("<a>caf\xE9 \x80</a>")
        << rows({{0, 0, "File: in.xml"}, {1, 2, "a = caf\xC3\xA9 \xE2\x82\xAC"}});
    QTest::newRow("character reference in UTF-8 file")
        << QByteArray("<a>&#233;<b>\xC3\xA9</b></a>")
        << rows({{0, 0, "File: in.xml"}, {1, 2, "a = \xC3\xA9"}, {2, 2, "b = \xC3\xA9"}});
}

void TestXmlTree::loadRows() {
    QFETCH(QByteArray, text);
    QFETCH(Rows, expected);
    QTemporaryDir dir;
    const TXmlTreeLoad loaded = LoadXmlTree(writeFile(dir.path(), QStringLiteral("in.xml"), text));
    QCOMPARE(loaded.Error, std::optional<QString>());
    QCOMPARE(loaded.Rows, expected);
}

void TestXmlTree::loadErrors() {
    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/none.xml");
    const TXmlTreeLoad notThere = LoadXmlTree(missing);
    QVERIFY(notThere.Error);
    QVERIFY2(
        notThere.Error->startsWith(
            QStringLiteral("Cannot open file \"%1\". ").arg(QDir::toNativeSeparators(missing))),
        qPrintable(*notThere.Error));
    QVERIFY(notThere.Rows.isEmpty());

    const TXmlTreeLoad bad =
        LoadXmlTree(writeFile(dir.path(), QStringLiteral("bad.xml"), "<a></b>"));
    QCOMPARE(bad.Error, std::optional<QString>(QStringLiteral(
                            "End tag name \"b\" does not match start tag name \"a\"")));
    QVERIFY(bad.Rows.isEmpty());
}

void TestXmlTree::compose_data() {
    QTest::addColumn<Rows>("tree");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("price") << rows({{0, 0, "File: x.xml"}, {1, 2, "price = 12"}})
                           << QByteArray("<price>12</price>");
    QTest::newRow("name without text")
        << rows({{0, 0, "File: x.xml"}, {1, 2, " a "}}) << QByteArray("<a/>");
    QTest::newRow("text split at first equals sign")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a = b=c "}}) << QByteArray("<a>b=c</a>");
    QTest::newRow("nesting, attributes and instructions in tree order")
        << rows({{0, 0, "File: x.xml"},
                 {1, 8, "XMLDeclaration"},
                 {2, 4, "version = 1.0"},
                 {1, 6, "beforeProcessingInstruction = b=1"},
                 {1, 2, "root = t"},
                 {2, 4, "z = 1"},
                 {2, 4, "a = 2"},
                 {2, 2, "child"},
                 {3, 4, "q = \"<&>\""},
                 {3, 2, "leaf = x<y & z"},
                 {2, 6, "inProcessingInstruction"},
                 {1, 6, "afterProcessingInstruction = tail "}})
        << QByteArray("<?xml version=\"1.0\"?><?before b=1?><root z=\"1\" a=\"2\">t<child "
                      "q=\"&quot;&lt;&amp;&gt;&quot;\"><leaf>x&lt;y &amp; z</leaf></child><?in?>"
                      "</root><?after tail ?>");
    QTest::newRow("processing instruction at index 1 is not the document element")
        << rows({{0, 0, "File: x.xml"}, {1, 6, "pProcessingInstruction = d"}, {1, 2, "a"}})
        << QByteArray("<?p d?><a/>");
    QTest::newRow("declared encoding is the written one")
        << rows({{0, 0, "File: x.xml"},
                 {1, 8, "XMLDeclaration"},
                 {2, 4, "version = 1.0"},
                 {2, 4, "encoding = ISO-8859-1"},
                 {2, 4, "standalone = yes"},
                 {1, 2, "a"}})
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><a/>");
    QTest::newRow("attribute value keeps its blanks")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a"}, {2, 4, "sep =  "}, {2, 4, "pad =   x "}})
        << QByteArray("<a sep=\" \" pad=\"  x \"/>");
    QTest::newRow("attribute typed without blanks")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a"}, {2, 4, "b=1"}, {2, 4, "c"}})
        << QByteArray("<a b=\"1\" c=\"\"/>");
    QTest::newRow("text with ]]>")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a = x]]>y"}}) << QByteArray("<a>x]]&gt;y</a>");
    QTest::newRow("non-ASCII in UTF-8") << rows({{0, 0, "File: x.xml"}, {1, 2, "a = caf\xC3\xA9"}})
                                        << QByteArray("<a>caf\xC3\xA9</a>");
    QTest::newRow("only the first element at top level")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a"}, {1, 2, "b"}}) << QByteArray("<a/>");
}

void TestXmlTree::compose() {
    QFETCH(Rows, tree);
    QFETCH(QByteArray, text);
    const TXmlTreeText composed = ComposeXmlTree(tree);
    QCOMPARE(composed.Error, std::optional<QString>());
    QCOMPARE(composed.Text, text);
}

void TestXmlTree::composeErrors_data() {
    QTest::addColumn<Rows>("tree");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty tree") << Rows()
                                << QStringLiteral("Nothing to write: open an XML file first");
    QTest::newRow("no element") << rows({{0, 0, "File: x.xml"}, {1, 6, "pProcessingInstruction"}})
                                << QStringLiteral("Nothing to write: the tree holds no element");
    QTest::newRow("element name with blank")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "my elem = 1"}})
        << QStringLiteral("\"my elem\" is not a valid XML name");
    QTest::newRow("empty element name") << rows({{0, 0, "File: x.xml"}, {1, 2, " = 1"}})
                                        << QStringLiteral("\"\" is not a valid XML name");
    QTest::newRow("name starting with digit")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a"}, {2, 2, "1b"}})
        << QStringLiteral("\"1b\" is not a valid XML name");
    QTest::newRow("attribute name with <")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a"}, {2, 4, "<b = 1"}})
        << QStringLiteral("\"<b\" is not a valid XML name");
    QTest::newRow("instruction named xml")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a"}, {2, 6, "xmlProcessingInstruction = v"}})
        << QStringLiteral("\"xml\" is not a valid XML name");
    QTest::newRow("instruction data with ?>")
        << rows({{0, 0, "File: x.xml"}, {1, 6, "pProcessingInstruction = a?>b"}, {1, 2, "a"}})
        << QStringLiteral("Processing instruction \"p\" cannot contain \"?>\"");
    QTest::newRow("control character")
        << rows({{0, 0, "File: x.xml"}, {1, 2, "a = x\x01y"}})
        << QStringLiteral("The tree holds characters that XML does not allow");
}

void TestXmlTree::composeErrors() {
    QFETCH(Rows, tree);
    QFETCH(QString, message);
    const TXmlTreeText composed = ComposeXmlTree(tree);
    QCOMPARE(composed.Error, std::optional<QString>(message));
    QVERIFY(composed.Text.isEmpty());
}

void TestXmlTree::roundTrip_data() {
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("declaration, instructions, attributes, text")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone='no'?>\n"
                      "<?xml-stylesheet href=\"s.xsl\" type=\"text/xsl\"?>\n"
                      "<catalog id=\"c1\" lang='en'>\n"
                      "  <book isbn=\"1\" year=\"2001\">\n"
                      "    <title>A &amp; B</title>\n"
                      "    <price cur=\"EUR\">12</price>\n"
                      "    <?note keep this ?>\n"
                      "  </book>\n"
                      "  tail text\n"
                      "  <empty/>\n"
                      "</catalog>\n<?done?>\n")
               .replace("<?xml-stylesheet", "<?stylesheet");
    QTest::newRow("many attributes keep their order")
        << QByteArray("<a z='1' y='2' x='3' w='4' v='5' u='6' t='7' s='8' r='9' q='10' p='11'/>");
    QTest::newRow("values with blanks, quotes and markup characters")
        << QByteArray("<a sep=' ' q='\"x\"' m=\"&lt;&amp;>\">  &lt;b&gt; ]]&gt; </a>");
    QTest::newRow("CDATA and references") << QByteArray("<a><![CDATA[<x> & y]]>&#x41;&#66;</a>");
    QTest::newRow("UTF-8 text") << QByteArray("<a n='\xC3\xA9t\xC3\xA9'>\xE2\x82\xAC 5</a>");
    QTest::newRow("Windows-1252 text") << QByteArray("<a n='\xE9t\xE9'>\x80 5</a>");
    QTest::newRow("empty document element") << QByteArray("<a/>");
}

void TestXmlTree::roundTrip() {
    QFETCH(QByteArray, text);
    QTemporaryDir source;
    QTemporaryDir project;
    const TXmlTreeLoad first =
        LoadXmlTree(writeFile(source.path(), QStringLiteral("doc.xml"), text));
    QCOMPARE(first.Error, std::optional<QString>());
    QVERIFY(SaveXmlTree(first.Rows, project.path()).ok());
    const QString written = project.path() + QStringLiteral("/doc.xml");
    const TXmlTreeLoad second = LoadXmlTree(written);
    QCOMPARE(second.Error, std::optional<QString>());
    QCOMPARE(second.Rows, first.Rows);
    // Written again from the reopened tree, the file does not change.
    QCOMPARE(ComposeXmlTree(second.Rows).Text, readFile(written));
}

void TestXmlTree::roundTripDeep() {
    QByteArray text;
    for (int i = 0; i < 10000; ++i)
        text += "<e n='" + QByteArray::number(i) + "'>";
    text += "x";
    for (int i = 0; i < 10000; ++i)
        text += "</e>";
    QTemporaryDir source;
    QTemporaryDir project;
    const TXmlTreeLoad first =
        LoadXmlTree(writeFile(source.path(), QStringLiteral("deep.xml"), text));
    QCOMPARE(first.Rows.size(), 1 + 2 * 10000);
    QVERIFY(SaveXmlTree(first.Rows, project.path()).ok());
    const TXmlTreeLoad second = LoadXmlTree(project.path() + QStringLiteral("/deep.xml"));
    QCOMPARE(second.Rows, first.Rows);
}

void TestXmlTree::target_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");

    QTest::newRow("bare name") << QStringLiteral("File: x.xml") << QStringLiteral("x.xml");
    QTest::newRow("blanks trimmed")
        << QStringLiteral("File:   x y.xml  ") << QStringLiteral("x y.xml");
    QTest::newRow("after first colon")
        << QStringLiteral("File: a:b.xml") << QStringLiteral("a:b.xml");
    QTest::newRow("Windows folder dropped")
        << QStringLiteral("File: C:\\data\\x.xml") << QStringLiteral("x.xml");
    QTest::newRow("relative folder dropped")
        << QStringLiteral("File: ../../evil.xml") << QStringLiteral("evil.xml");
}

void TestXmlTree::target() {
    QFETCH(QString, caption);
    QFETCH(QString, name);
    const QString folder = QStringLiteral("/projects/P1");
    QCOMPARE(XmlTreeTarget(folder, caption), folder + QDir::separator() + name);
}

void TestXmlTree::saveReplacesAndReports() {
    QTemporaryDir project;
    const QString path = writeFile(project.path(), QStringLiteral("x.xml"), "old contents");
    const Rows tree = rows({{0, 0, "File: x.xml"}, {1, 2, "price = 12"}});
    QVERIFY(SaveXmlTree(tree, project.path()).ok());
    QCOMPARE(readFile(path), QByteArray("<price>12</price>"));

    // A project folder that is gone: the failure comes back, nothing is made.
    const QString gone = project.path() + QStringLiteral("/gone");
    const Result<> error = SaveXmlTree(tree, gone);
    QVERIFY(!error);
    QVERIFY2(error.error().startsWith(
                 QStringLiteral("Cannot create file \"%1\". ")
                     .arg(QDir::toNativeSeparators(gone + QStringLiteral("/x.xml")))),
             qPrintable(error.error()));
    QVERIFY(!QFileInfo::exists(gone));

    // A document caption whose name was edited away.
    const Result<> noName = SaveXmlTree(rows({{0, 0, "File:  "}, {1, 2, "a"}}), project.path());
    QVERIFY(!noName);
    QVERIFY2(noName.error().startsWith(QStringLiteral("Cannot create file")),
             qPrintable(noName.error()));

    // A composition error leaves the existing file alone.
    QVERIFY(!SaveXmlTree(rows({{0, 0, "File: x.xml"}, {1, 2, "bad name"}}), project.path()));
    QCOMPARE(readFile(path), QByteArray("<price>12</price>"));
}

void TestXmlTree::stringsFile() {
    QTemporaryDir dir;
    const QString path = writeFile(
        dir.path(), QStringLiteral("s.xml"),
        "<?xml version=\"1.0\"?>\n<strings>\n  <s>zero</s>\n  <x a='1'>one <b>bold</b></x>\n"
        "  <s/>\n  <!--three-->\n</strings>");
    const TStringsFile file = ReadStringsFile(path);
    QCOMPARE(file.Error, std::optional<QString>());
    QCOMPARE(file.Total, 4);
    QCOMPARE(file.Strings, QStringList({QStringLiteral("zero"), QStringLiteral("one bold"),
                                        QString(), QStringLiteral("three")}));
}

void TestXmlTree::stringsFileErrors() {
    QTemporaryDir dir;
    QVERIFY(ReadStringsFile(writeFile(dir.path(), QStringLiteral("bad.xml"), "<a><b></a>")).Error);
    QVERIFY(ReadStringsFile(writeFile(dir.path(), QStringLiteral("empty.xml"), "")).Error);
    QVERIFY(ReadStringsFile(dir.path() + QStringLiteral("/missing.xml")).Error);
}

void TestXmlTree::stringsFileOverLimit() {
    QTemporaryDir dir;
    QByteArray text = "<r>";
    for (int i = 0; i < 1250; ++i)
        text += "<s>" + QByteArray::number(i) + "</s>";
    text += "</r>";
    const TStringsFile file =
        ReadStringsFile(writeFile(dir.path(), QStringLiteral("big.xml"), text));
    QCOMPARE(file.Error, std::optional<QString>());
    QCOMPARE(file.Total, 1250);
    QCOMPARE(file.Strings.size(), kMaxStrings);
    QCOMPARE(file.Strings.last(), QStringLiteral("999"));
}

QTEST_GUILESS_MAIN(TestXmlTree)
#include "test_xmltree.moc"
