#include "info/HelpText.h"
#include "info/RtfReader.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// The text as the view holds it: blocks joined by "\n", nothing normalised.
QString viewText(const QTextDocument& doc) {
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    return blocks.join('\n');
}

// The character format of the fragment holding `word`.
QTextCharFormat formatOf(const QTextDocument& doc, const QString& word, bool* found) {
    *found = false;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(word)) {
                *found = true;
                return it.fragment().charFormat();
            }
    return {};
}

QTextBlock blockWith(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().contains(text))
            return b;
    return {};
}

bool load(QTextDocument& doc, const QByteArray& rtf) {
    const auto html = RtfToHtml(rtf);
    if (!html)
        return false;
    doc.setHtml(*html);
    return true;
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void text_data();
    void text();
    void characterFormats_data();
    void characterFormats();
    void paragraphFormats_data();
    void paragraphFormats();
    void emptyParagraphKeepsItsLine();
    void malformed_data();
    void malformed();
    void everyCutOfTheHelpFails();
    void damagedDocumentsNeverCrash();
    void helpDocument_data();
    void helpDocument();
    void helpUnreadable();
    void installedHelpFile();
};

void TestRtfReader::text_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    QTest::newRow("escapes") << QByteArray("{\\rtf1 a\\\\b\\{c\\}d}") << "a\\b{c}d";
    QTest::newRow("hex in Windows-1252")
        << QByteArray("{\\rtf1 caf\\'e9 \\'80}") << "caf\u00e9 \u20ac";
    QTest::newRow("upper-case hex") << QByteArray("{\\rtf1 \\'C4}") << "\u00c4";
    QTest::newRow("bad hex dropped") << QByteArray("{\\rtf1 a\\'+1b\\' fc}") << "abc";
    QTest::newRow("unicode with fallback") << QByteArray("{\\rtf1 A\\u8364?B}") << "A\u20acB";
    QTest::newRow("unicode, hex fallback") << QByteArray("{\\rtf1 \\u233\\'e9!}") << "\u00e9!";
    QTest::newRow("unicode, two fallbacks")
        << QByteArray("{\\rtf1\\uc2 A\\u8364??B}") << "A\u20acB";
    QTest::newRow("unicode, no fallback") << QByteArray("{\\rtf1\\uc0 A\\u8364 B}") << "A\u20acB";
    QTest::newRow("unicode, negative")
        << QByteArray("{\\rtf1 \\u-4064?}") << QString(QChar(0xF020));
    QTest::newRow("unicode surrogate pair") << QByteArray("{\\rtf1 x\\u-10179?\\u-8704?y}")
                                            << "x" + QString::fromUcs4(U"\U0001F600") + "y";
    QTest::newRow("fallback skip ends at group end")
        << QByteArray("{\\rtf1\\uc3 {\\u8364}ab}") << "\u20acab";
    QTest::newRow("uc is scoped to its group")
        << QByteArray("{\\rtf1 {\\uc2 x}\\u8364?y}") << "x\u20acy";
    QTest::newRow("unknown control words")
        << QByteArray("{\\rtf1 a\\foo12 b\\bar c\\zz-5 d}") << "abcd";
    QTest::newRow("unknown symbol") << QByteArray("{\\rtf1 a\\|b\\:c\\-d}") << "abcd";
    QTest::newRow("star destination")
        << QByteArray("{\\rtf1 a{\\*\\unknown hidden {deep}}b}") << "ab";
    QTest::newRow("star on a known word") << QByteArray("{\\rtf1 a{\\*\\b hidden}b}") << "ab";
    QTest::newRow("tables and info skipped")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}Body}")
        << "Body";
    QTest::newRow("field shows its result")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt site}}}") << "site";
    QTest::newRow("binary data skipped") << QByteArray("{\\rtf1 a{\\pict\\bin4 }}x{}b}") << "ab";
    QTest::newRow("line ends ignored") << QByteArray("{\\rtf1 a\r\nb\nc}") << "abc";
    QTest::newRow("control word eats one blank") << QByteArray("{\\rtf1\\b  two}") << " two";
    QTest::newRow("paragraphs") << QByteArray("{\\rtf1 one\\par two\\par\\par four}")
                                << "one\ntwo\n\nfour";
    QTest::newRow("final mark") << QByteArray("{\\rtf1 one\\par}") << "one";
    QTest::newRow("escaped line end is a mark") << QByteArray("{\\rtf1 one\\\ntwo}") << "one\ntwo";
    QTest::newRow("line break") << QByteArray("{\\rtf1 a\\line b}") << "a\u2028b";
    QTest::newRow("tab") << QByteArray("{\\rtf1 a\\tab b}") << "a\tb";
    QTest::newRow("special characters")
        << QByteArray(
               "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~\\_}")
        << "\u2014\u2013\u2022\u2018\u2019\u201c\u201d\u00a0\u2011";
    QTest::newRow("html is only text") << QByteArray("{\\rtf1 <b>&amp;</b>}") << "<b>&amp;</b>";
    QTest::newRow("document code page")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1250 \\'b9}") << "\u0105";
    QTest::newRow("font charset")
        << QByteArray(
               "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}\\f1\\'c0\\f0\\'c0}")
        << "\u0410\u00c0";
    QTest::newRow("trailing blanks and padding") << QByteArray("{\\rtf1 a}\r\n\0\0", 13) << "a";
    QTest::newRow("nul bytes inside skipped") << QByteArray("{\\rtf1 a\0b}", 11) << "ab";
    QTest::newRow("empty document") << QByteArray("{\\rtf1}") << "";
}

void TestRtfReader::text() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument doc;
    QVERIFY(load(doc, rtf));
    QCOMPARE(viewText(doc), expected);
}

void TestRtfReader::characterFormats_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strike");
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("colour");     // empty: automatic
    QTest::addColumn<QString>("background"); // empty: none
    QTest::addColumn<QString>("family");     // empty: not set
    const QByteArray styles("{\\rtf1\\fs20 plain \\b bold\\b0  \\i ital\\i0  \\ul under\\ulnone  "
                            "\\strike gone\\strike0  \\b\\i\\ul all\\b0\\i0\\ul0  after}");
    QTest::newRow("plain") << styles << "plain" << false << false << false << false << 10.0 << ""
                           << ""
                           << "";
    QTest::newRow("bold") << styles << "bold" << true << false << false << false << 10.0 << ""
                          << ""
                          << "";
    QTest::newRow("italic") << styles << "ital" << false << true << false << false << 10.0 << ""
                            << ""
                            << "";
    QTest::newRow("underline") << styles << "under" << false << false << true << false << 10.0 << ""
                               << ""
                               << "";
    QTest::newRow("strike") << styles << "gone" << false << false << false << true << 10.0 << ""
                            << ""
                            << "";
    QTest::newRow("combined") << styles << "all" << true << true << true << false << 10.0 << ""
                              << ""
                              << "";
    QTest::newRow("switched off") << styles << "after" << false << false << false << false << 10.0
                                  << ""
                                  << ""
                                  << "";
    const QByteArray groups("{\\rtf1 {\\b\\fs32 inner} outer}");
    QTest::newRow("group sets") << groups << "inner" << true << false << false << false << 16.0
                                << ""
                                << ""
                                << "";
    QTest::newRow("group end restores")
        << groups << "outer" << false << false << false << false << 12.0 << ""
        << ""
        << "";
    QTest::newRow("plain resets") << QByteArray("{\\rtf1\\b\\i\\fs40 x\\plain  reset}") << "reset"
                                  << false << false << false << false << 12.0 << ""
                                  << ""
                                  << "";
    QTest::newRow("half points") << QByteArray("{\\rtf1\\fs21 odd}") << "odd" << false << false
                                 << false << false << 10.5 << ""
                                 << ""
                                 << "";
    const QByteArray colours("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
                             "\\cf1 red \\cf2 green \\cf0 auto \\cf9 missing \\highlight2 marked}");
    QTest::newRow("colour 1") << colours << "red" << false << false << false << false << 12.0
                              << "#ff0000"
                              << ""
                              << "";
    QTest::newRow("colour 2") << colours << "green" << false << false << false << false << 12.0
                              << "#008000"
                              << ""
                              << "";
    QTest::newRow("automatic colour")
        << colours << "auto" << false << false << false << false << 12.0 << ""
        << ""
        << "";
    QTest::newRow("colour beyond table")
        << colours << "missing" << false << false << false << false << 12.0 << ""
        << ""
        << "";
    QTest::newRow("highlight") << colours << "marked" << false << false << false << false << 12.0
                               << ""
                               << "#008000"
                               << "";
    QTest::newRow("colour table without automatic entry")
        << QByteArray("{\\rtf1{\\colortbl\\red0\\green0\\blue255;}\\cf0 blue}") << "blue" << false
        << false << false << false << 12.0 << "#0000ff"
        << ""
        << "";
    const QByteArray fonts(
        "{\\rtf1\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern{\\*\\panose 0}Courier New;}}"
        "\\f1 mono \\f0 sans}");
    QTest::newRow("font from table")
        << fonts << "mono" << false << false << false << false << 12.0 << ""
        << ""
        << "Courier New";
    QTest::newRow("other font") << fonts << "sans" << false << false << false << false << 12.0 << ""
                                << ""
                                << "Arial";
    QTest::newRow("font table without groups")
        << QByteArray("{\\rtf1{\\fonttbl\\f0\\fnil Times;\\f1\\fnil Verdana;}\\f1 v}") << "v"
        << false << false << false << false << 12.0 << ""
        << ""
        << "Verdana";
}

void TestRtfReader::characterFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, word);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(bool, strike);
    QFETCH(double, points);
    QFETCH(QString, colour);
    QFETCH(QString, background);
    QFETCH(QString, family);
    QTextDocument doc;
    QVERIFY(load(doc, rtf));
    bool found = false;
    const QTextCharFormat f = formatOf(doc, word, &found);
    QVERIFY2(found, qPrintable(viewText(doc)));
    QCOMPARE(f.fontWeight() >= QFont::Bold, bold);
    QCOMPARE(f.fontItalic(), italic);
    QCOMPARE(f.fontUnderline(), underline);
    QCOMPARE(f.fontStrikeOut(), strike);
    QCOMPARE(f.fontPointSize(), points);
    QCOMPARE(f.hasProperty(QTextFormat::ForegroundBrush), !colour.isEmpty());
    if (!colour.isEmpty())
        QCOMPARE(f.foreground().color().name(), colour);
    QCOMPARE(f.hasProperty(QTextFormat::BackgroundBrush), !background.isEmpty());
    if (!background.isEmpty())
        QCOMPARE(f.background().color().name(), background);
    if (!family.isEmpty())
        QCOMPARE(f.fontFamilies().toStringList().value(0), family);
}

void TestRtfReader::paragraphFormats_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    const QByteArray doc("{\\rtf1\\pard\\qc centred\\par\\qr right\\par\\pard justified\\qj\\par"
                         "\\pard\\li600\\fi-300\\sb240\\sa120 hanging\\par\\pard plain\\par last}");
    QTest::newRow("centre") << doc << "centred" << int(Qt::AlignHCenter) << 0 << 0 << 0 << 0;
    QTest::newRow("right carries on") << doc << "right" << int(Qt::AlignRight) << 0 << 0 << 0 << 0;
    QTest::newRow("set late in the paragraph")
        << doc << "justified" << int(Qt::AlignJustify) << 0 << 0 << 0 << 0;
    QTest::newRow("indents and spacing")
        << doc << "hanging" << int(Qt::AlignLeft) << 40 << -20 << 16 << 8;
    QTest::newRow("pard resets") << doc << "plain" << int(Qt::AlignLeft) << 0 << 0 << 0 << 0;
    QTest::newRow("absurd indent bounded") << QByteArray("{\\rtf1\\li99999999 wide\\par}") << "wide"
                                           << int(Qt::AlignLeft) << 2000 << 0 << 0 << 0;
    QTest::newRow("last paragraph keeps its format")
        << QByteArray("{\\rtf1\\pard\\qc{centred end}}") << "centred end" << int(Qt::AlignHCenter)
        << 0 << 0 << 0 << 0;
}

void TestRtfReader::paragraphFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QFETCH(int, left);
    QFETCH(int, indent);
    QFETCH(int, top);
    QFETCH(int, bottom);
    QTextDocument doc;
    QVERIFY(load(doc, rtf));
    const QTextBlock block = blockWith(doc, text);
    QVERIFY2(block.isValid(), qPrintable(viewText(doc)));
    QCOMPARE(block.text(), text);
    const QTextBlockFormat f = block.blockFormat();
    QCOMPARE(
        int(f.alignment() & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify)),
        alignment);
    QCOMPARE(qRound(f.leftMargin()), left);
    QCOMPARE(qRound(f.textIndent()), indent);
    QCOMPARE(qRound(f.topMargin()), top);
    QCOMPARE(qRound(f.bottomMargin()), bottom);
}

void TestRtfReader::emptyParagraphKeepsItsLine() {
    QTextDocument doc;
    QVERIFY(load(doc, "{\\rtf1 a\\par\\par\\par b}"));
    QCOMPARE(doc.blockCount(), 4);
    QCOMPARE(viewText(doc), QStringLiteral("a\n\n\nb"));
}

void TestRtfReader::malformed_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("unclosed") << QByteArray("{\\rtf1 abc");
    QTest::newRow("unclosed inner group") << QByteArray("{\\rtf1 {\\b abc}");
    QTest::newRow("closed twice") << QByteArray("{\\rtf1 a}}");
    QTest::newRow("text after the end") << QByteArray("{\\rtf1 a} more");
    QTest::newRow("second document") << QByteArray("{\\rtf1 a}{\\rtf1 b}");
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 a\\");
    QTest::newRow("cut hex") << QByteArray("{\\rtf1 \\'4");
    QTest::newRow("binary beyond the end") << QByteArray("{\\rtf1 \\bin99 ab}");
    QTest::newRow("negative binary length") << QByteArray("{\\rtf1 \\bin-5 ab}");
    QTest::newRow("nested too deep")
        << QByteArray("{\\rtf1 ") + QByteArray(300, '{') + QByteArray(301, '}');
    QTest::newRow("not rich text") << QByteArray("hello");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("leading blank") << QByteArray(" {\\rtf1 a}");
}

void TestRtfReader::malformed() {
    QFETCH(QByteArray, rtf);
    QVERIFY(!RtfToHtml(rtf));
}

void TestRtfReader::everyCutOfTheHelpFails() {
    // Every shorter piece of a document lacks its last brace at least, wherever the cut falls:
    // inside a control word, a parameter, a hex escape, binary data or a skipped destination.
    const QByteArray compact(
        "{\\rtf1\\ansi\\ansicpg1252\\uc1{\\fonttbl{\\f0\\fswiss Arial;}}"
        "{\\colortbl;\\red255\\green0\\blue0;}{\\*\\gen x}\\pard\\qc\\fs-24 "
        "\\b B\\b0\\'e9\\u8364?\\u-10179?\\u-8704?{\\pict\\bin2 }}}\\par\\~\\\\\\{\\}x}");
    QVERIFY(RtfToHtml(compact));
    for (int n = 0; n < compact.size(); ++n)
        QVERIFY2(!RtfToHtml(compact.left(n)), qPrintable(QString::number(n)));

    QFile f(QStringLiteral(QUENZOR_SOURCE_DIR "/data/help2.dat"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray whole = f.readAll();
    QVERIFY(RtfToHtml(whole));
    while (whole.endsWith('\n') || whole.endsWith('\r'))
        whole.chop(1);
    for (int n = 0; n < whole.size(); n += n + 64 < whole.size() ? 17 : 1)
        QVERIFY2(!RtfToHtml(whole.left(n)), qPrintable(QString::number(n)));
}

void TestRtfReader::damagedDocumentsNeverCrash() {
    QFile f(QStringLiteral(QUENZOR_SOURCE_DIR "/data/help2.dat"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray whole = f.readAll();
    QRandomGenerator random(2024);
    const char tokens[] = {'{', '}', '\\', '\'', '*', '-', '0', '9', 'u', ' ', '\0', char(0xff)};
    int wellFormed = 0;
    for (int round = 0; round < 150; ++round) {
        QByteArray damaged = whole;
        const int changes = 1 + random.bounded(8);
        for (int i = 0; i < changes; ++i)
            damaged[random.bounded(int(damaged.size()))] =
                tokens[random.bounded(int(sizeof tokens))];
        const auto html = RtfToHtml(damaged);
        if (html) {
            ++wellFormed;
            QVERIFY(html->startsWith(QStringLiteral("<html><body>")));
            QVERIFY(html->endsWith(QStringLiteral("</body></html>")));
        }
    }
    // Most damage still leaves a readable document; some of it must be refused.
    QVERIFY(wellFormed > 0 && wellFormed < 150);
}

void TestRtfReader::helpDocument_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("rich");
    QTest::addColumn<QString>("text"); // in the document (rich) or the whole text (plain)
    QTest::newRow("rich text") << QByteArray("{\\rtf1 {\\b Hello}}") << true << "Hello";
    QTest::newRow("plain, Windows-1252")
        << QByteArray("caf\xe9\r\nline 2") << false << "caf\u00e9\r\nline 2";
    QTest::newRow("plain, UTF-8 with mark") << QByteArray("\xef\xbb\xbf"
                                                          "caf\xc3\xa9")
                                            << false << "caf\u00e9";
    QTest::newRow("damaged rich text shown as it is")
        << QByteArray("{\\rtf1 {\\b Hello}") << false << "{\\rtf1 {\\b Hello}";
    QTest::newRow("empty file") << QByteArray() << false << "";
}

void TestRtfReader::helpDocument() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, rich);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString path = HelpFilePath(dir.path());
    QCOMPARE(path, dir.path() + QDir::separator() + "help2.dat");
    writeFile(path, bytes);
    const auto doc = LoadHelpDocument(path);
    QVERIFY(doc);
    QCOMPARE(doc->rich, rich);
    if (rich) {
        QTextDocument view;
        view.setHtml(doc->text);
        QCOMPARE(view.toPlainText(), text);
    } else {
        QCOMPARE(doc->text, text);
    }
}

void TestRtfReader::helpUnreadable() {
    QTemporaryDir dir;
    QVERIFY(!LoadHelpDocument(HelpFilePath(dir.path())));
    QDir(dir.path()).mkdir("help2.dat");
    QVERIFY(!LoadHelpDocument(HelpFilePath(dir.path())));
    QCOMPARE(kHelpUnreadableMessage, QStringLiteral("Impossible to read file Help"));
}

void TestRtfReader::installedHelpFile() {
    // The build puts the same bytes beside the program, and they read as formatted help.
    QFile source(QStringLiteral(QUENZOR_SOURCE_DIR "/data/help2.dat"));
    QFile installed(HelpFilePath(QStringLiteral(QUENZOR_PROGRAM_DIR)));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY2(installed.open(QIODevice::ReadOnly), qPrintable(installed.fileName()));
    QCOMPARE(installed.readAll(), source.readAll());
    const auto doc = LoadHelpDocument(installed.fileName());
    QVERIFY(doc && doc->rich);
    QTextDocument view;
    view.setHtml(doc->text);
    const QString text = view.toPlainText();
    for (const char* heading :
         {"Creating or opening a project", "Setting the parameters", "Updating the device",
          "New project", "General Parameter", "Update Device", "Execute update firmware"})
        QVERIFY2(text.contains(QLatin1String(heading)), heading);
    QVERIFY(!text.contains(QLatin1Char('\\')));
    QVERIFY(!text.contains(QLatin1String("Arial")));
    bool found = false;
    QVERIFY(formatOf(view, QStringLiteral("Firmware Quenzor"), &found).fontWeight() >= QFont::Bold);
    QVERIFY(found);
}

QTEST_MAIN(TestRtfReader)
#include "test_rtfreader.moc"
