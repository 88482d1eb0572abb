#include "image/ImageComposer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <map>

namespace {

// One value per element; the composer must place each at its own offset.
const std::map<QString, QString> kDistinct = {
    {"TCP_IP1", "192"},
    {"TCP_IP2", "168"},
    {"TCP_IP3", "7"},
    {"TCP_IP4", "21"},
    {"TCP_SUB1", "255"},
    {"TCP_SUB2", "254"},
    {"TCP_SUB3", "253"},
    {"TCP_SUB4", "0"},
    {"TCP_GAT1", "10"},
    {"TCP_GAT2", "11"},
    {"TCP_GAT3", "12"},
    {"TCP_GAT4", "13"},
    {"TCP_PORT", "4660"},
    {"SNMP_PUBLIC", "halvik"},
    {"SNMP_PRIVATE", "morsund"},
    {"BAUD", "6"},
    {"PARITY", "3"},
    {"TIME_OUT", "43981"},
    {"OFFSET", "258"},
    {"MODE", "1"},
};

const char* const kOrder[] = {"TCP_IP1",  "TCP_IP2",  "TCP_IP3",  "TCP_IP4",     "TCP_SUB1",
                              "TCP_SUB2", "TCP_SUB3", "TCP_SUB4", "TCP_GAT1",    "TCP_GAT2",
                              "TCP_GAT3", "TCP_GAT4", "TCP_PORT", "SNMP_PUBLIC", "SNMP_PRIVATE",
                              "BAUD",     "PARITY",   "TIME_OUT", "OFFSET",      "MODE"};

QByteArray pargen(std::map<QString, QString> values, const QStringList& drop = {},
                  const QByteArray& extra = {}) {
    QByteArray xml = "<General_Parameter>";
    for (const char* name : kOrder) {
        if (drop.contains(QString::fromLatin1(name)))
            continue;
        xml += "<" + QByteArray(name) + ">" + values[name].toUtf8() + "</" + name + ">";
    }
    return xml + extra + "</General_Parameter>";
}

CompositionStamp fixedStamp() {
    return QDateTime(QDate(2026, 12, 8), QTime(14, 35, 27));
}

// Expected block for kDistinct at 14:35:27 on 8 December 2026.
QByteArray expectedBlock() {
    QByteArray b;
    b += QByteArray::fromHex("C0A80715"
                             "FFFEFD00"
                             "0A0B0C0D"
                             "3412");
    b += QByteArray("halvik") + QByteArray(8, '\0');
    b += QByteArray("morsund") + QByteArray(7, '\0');
    b += QByteArray::fromHex("06"
                             "03"
                             "CDAB"
                             "0201"
                             "01"
                             "6E6C"
                             "1A46");
    return b;
}

QByteArray blockOf(const ConfigImage& image) {
    return image.toByteArray().mid(15000, 53);
}

bool zeroOutsideBlock(const ConfigImage& image) {
    for (std::size_t i = 0; i < kImageSize; ++i)
        if ((i < 15000 || i >= 15053) && image.byte(i) != 0)
            return false;
    return true;
}

} // namespace

class TestImageComposer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void packWords_data();
    void packWords();
    void everyFieldAtItsOffset();
    void numericForms_data();
    void numericForms();
    void snmpNames_data();
    void snmpNames();
    void failures_data();
    void failures();
    void firstOfTwoChildren();
    void clockReadOnceAfterTheFields();
    void composingTwiceGivesTheSameImage();
    void sourceDateEpoch_data();
    void sourceDateEpoch();
    void sourceDateEpochAfter2038();
    void invalidSourceDateEpoch();

private:
    Result<> composeAt(const QByteArray& zone, const QByteArray& epoch);
    ConfigImage image; // filled by composeAt

    QString writePargen(const QByteArray& text) {
        const QString path = dir_.filePath("pargen.xml");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(text);
        return path;
    }
    QTemporaryDir dir_;
};

void TestImageComposer::packWords_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("timeWord");
    QTest::addColumn<int>("dateWord");
    QTest::newRow("example") << QTime(14, 35, 27) << QDate(2026, 12, 8) << 0x6C6E << 0x461A;
    QTest::newRow("midnight") << QTime(0, 0, 0) << QDate(2000, 1, 1) << 0x0000 << 0x0880;
    QTest::newRow("last second") << QTime(23, 59, 59) << QDate(2099, 12, 31) << 0xEF77 << 0xFE63;
    // Odd seconds are halved down; the year keeps only its last two digits, no 1980 base.
    QTest::newRow("odd second") << QTime(1, 2, 3) << QDate(1980, 2, 29) << 0x0841 << 0xE950;
}

void TestImageComposer::packWords() {
    QFETCH(QTime, time);
    QFETCH(QDate, date);
    QFETCH(int, timeWord);
    QFETCH(int, dateWord);
    QCOMPARE(int(PackTime(time)), timeWord);
    QCOMPARE(int(PackDate(date)), dateWord);
}

void TestImageComposer::everyFieldAtItsOffset() {
    ConfigImage image;
    const Result<> r = ComposeImage(image, writePargen(pargen(kDistinct)), fixedStamp);
    QVERIFY2(r.ok(), qPrintable(r.error()));
    QCOMPARE(blockOf(image).toHex(), expectedBlock().toHex());
    QVERIFY(zeroOutsideBlock(image));
    // The example's bytes at the offsets named for them.
    QCOMPARE(image.byte(15049), 0x6E);
    QCOMPARE(image.byte(15050), 0x6C);
    QCOMPARE(image.byte(15051), 0x1A);
    QCOMPARE(image.byte(15052), 0x46);
}

void TestImageComposer::numericForms_data() {
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("port 502") << "TCP_PORT"
                              << "502" << 15012 << QByteArray::fromHex("F601");
    QTest::newRow("port dollar hex") << "TCP_PORT"
                                     << "$1F6" << 15012 << QByteArray::fromHex("F601");
    QTest::newRow("port 0x hex") << "TCP_PORT"
                                 << "0x1f6" << 15012 << QByteArray::fromHex("F601");
    QTest::newRow("port X hex") << "TCP_PORT"
                                << "X1F6" << 15012 << QByteArray::fromHex("F601");
    QTest::newRow("port blanks before") << "TCP_PORT"
                                        << "   502" << 15012 << QByteArray::fromHex("F601");
    QTest::newRow("port low 16 bits") << "TCP_PORT"
                                      << "65541" << 15012 << QByteArray::fromHex("0500");
    QTest::newRow("ip 300 as 44") << "TCP_IP1"
                                  << "300" << 15000 << QByteArray::fromHex("2C");
    QTest::newRow("ip plus sign") << "TCP_IP4"
                                  << "+7" << 15003 << QByteArray::fromHex("07");
    QTest::newRow("ip negative") << "TCP_IP2"
                                 << "-2" << 15001 << QByteArray::fromHex("FE");
    QTest::newRow("time-out -1") << "TIME_OUT"
                                 << "-1" << 15044 << QByteArray::fromHex("FFFF");
    QTest::newRow("offset wraps hex") << "OFFSET"
                                      << "$FFFF8001" << 15046 << QByteArray::fromHex("0180");
    QTest::newRow("mode hex") << "MODE"
                              << "0x0" << 15048 << QByteArray::fromHex("00");
    QTest::newRow("baud signed") << "BAUD"
                                 << "-250" << 15042 << QByteArray::fromHex("06");
}

void TestImageComposer::numericForms() {
    QFETCH(QString, element);
    QFETCH(QString, text);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    auto values = kDistinct;
    values[element] = text;
    ConfigImage image;
    const Result<> r = ComposeImage(image, writePargen(pargen(values)), fixedStamp);
    QVERIFY2(r.ok(), qPrintable(r.error()));
    QCOMPARE(image.toByteArray().mid(offset, bytes.size()).toHex(), bytes.toHex());
}

void TestImageComposer::snmpNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("short") << "public" << QByteArray("public").leftJustified(14, '\0');
    QTest::newRow("empty") << "" << QByteArray(14, '\0');
    QTest::newRow("spaces alone") << "   " << QByteArray("   ").leftJustified(14, '\0');
    QTest::newRow("13 kept") << "abcdefghijklm" << QByteArray("abcdefghijklm\0", 14);
    QTest::newRow("20 cut to 13") << "ABCDEFGHIJKLMNOPQRST" << QByteArray("ABCDEFGHIJKLM\0", 14);
    QTest::newRow("latin-1 letters")
        << QString::fromUtf8("Zürich-Öl") << QByteArray("Z\xFCrich-\xD6l").leftJustified(14, '\0');
    QTest::newRow("windows-1252 only")
        << QString::fromUtf8("€–œŸ") << QByteArray("\x80\x96\x9C\x9F").leftJustified(14, '\0');
    QTest::newRow("not in the code page")
        << QString::fromUtf8("日本") << QByteArray("??").leftJustified(14, '\0');
    QTest::newRow("surrogate pair is one ?")
        << QString::fromUtf8("a😀b") << QByteArray("a?b").leftJustified(14, '\0');
    QTest::newRow("cut counts characters after conversion")
        << QString::fromUtf8("€€€€€€€€€€€€€€") << QByteArray(13, '\x80') + QByteArray(1, '\0');
    QTest::newRow("escaped xml") << "a&b<c" << QByteArray("a&b<c").leftJustified(14, '\0');
}

void TestImageComposer::snmpNames() {
    QFETCH(QString, name);
    QFETCH(QByteArray, field);
    const SnmpField direct = FillSnmpName(name);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(direct.data()), 14).toHex(), field.toHex());

    // Through pargen.xml, into both community fields.
    auto values = kDistinct;
    values["SNMP_PUBLIC"] = name.toHtmlEscaped();
    values["SNMP_PRIVATE"] = name.toHtmlEscaped();
    ConfigImage image;
    const Result<> r = ComposeImage(image, writePargen(pargen(values)), fixedStamp);
    QVERIFY2(r.ok(), qPrintable(r.error()));
    QCOMPARE(image.toByteArray().mid(15014, 14).toHex(), field.toHex());
    QCOMPARE(image.toByteArray().mid(15028, 14).toHex(), field.toHex());
}

void TestImageComposer::failures_data() {
    QTest::addColumn<QByteArray>("file"); // empty: no pargen.xml at all
    QTest::addColumn<QString>("element");
    QTest::addColumn<int>("storedUpTo"); // offset of the first byte left zero by the failure
    QTest::newRow("no file") << QByteArray() << "" << 15000;
    QTest::newRow("not well-formed")
        << QByteArray("<General_Parameter><TCP_IP1>1</TCP_IP1>") << "" << 15000;
    QTest::newRow("other document element")
        << QByteArray("<Parameters><TCP_IP1>1</TCP_IP1></Parameters>") << "General_Parameter"
        << 15000;
    QTest::newRow("no MODE") << pargen(kDistinct, {"MODE"}) << "MODE" << 15048;
    QTest::newRow("no TCP_IP1") << pargen(kDistinct, {"TCP_IP1"}) << "TCP_IP1" << 15000;
    QTest::newRow("no SNMP_PRIVATE")
        << pargen(kDistinct, {"SNMP_PRIVATE"}) << "SNMP_PRIVATE" << 15028;
    auto badBaud = kDistinct;
    badBaud["BAUD"] = "abc";
    QTest::newRow("BAUD abc") << pargen(badBaud) << "BAUD" << 15042;
    auto trailingBlank = kDistinct;
    trailingBlank["TCP_PORT"] = "502 ";
    QTest::newRow("blank after the digits") << pargen(trailingBlank) << "TCP_PORT" << 15012;
    auto emptyOffset = kDistinct;
    emptyOffset["OFFSET"] = "";
    QTest::newRow("empty OFFSET") << pargen(emptyOffset) << "OFFSET" << 15046;
    auto tooBig = kDistinct;
    tooBig["TIME_OUT"] = "4294967296";
    QTest::newRow("TIME_OUT beyond 32 bits") << pargen(tooBig) << "TIME_OUT" << 15044;
}

void TestImageComposer::failures() {
    QFETCH(QByteArray, file);
    QFETCH(QString, element);
    QFETCH(int, storedUpTo);
    QTemporaryDir dir;
    const QString path = dir.filePath("pargen.xml");
    if (!file.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    ConfigImage image;
    image.setByte(100, 0x55); // whatever was there before is cleared
    bool clockRead = false;
    const Result<> r = ComposeImage(image, path, [&] {
        clockRead = true;
        return fixedStamp();
    });
    QVERIFY(!r.ok());
    QVERIFY(!clockRead);
    QVERIFY2(r.error().contains(QDir::toNativeSeparators(path)), qPrintable(r.error()));
    if (!element.isEmpty())
        QVERIFY2(r.error().contains('"' + element + '"'), qPrintable(r.error()));
    // Fields before the failure keep their values; the rest, time and date too, stay zero.
    const QByteArray expected = expectedBlock().left(storedUpTo - 15000).leftJustified(53, '\0');
    QCOMPARE(blockOf(image).toHex(), expected.toHex());
    QVERIFY(zeroOutsideBlock(image));
}

void TestImageComposer::firstOfTwoChildren() {
    ConfigImage image;
    const QByteArray extra = "<TCP_PORT>80</TCP_PORT>";
    Result<> r = ComposeImage(image, writePargen(pargen(kDistinct, {}, extra)), fixedStamp);
    QVERIFY(r.ok());
    QCOMPARE(image.word(15012), 4660);
    // Order in the file does not matter, and whitespace between elements is allowed.
    r = ComposeImage(
        image,
        writePargen("<?xml version=\"1.0\"?>\n<General_Parameter>\n  <MODE>0</MODE>\n" +
                    pargen(kDistinct, {"MODE"}).mid(19)),
        fixedStamp);
    QVERIFY2(r.ok(), qPrintable(r.error()));
    QCOMPARE(image.byte(15048), 0);
    QCOMPARE(image.byte(15000), 192);
}

void TestImageComposer::clockReadOnceAfterTheFields() {
    int reads = 0;
    ConfigImage image;
    const Result<> r = ComposeImage(image, writePargen(pargen(kDistinct)), [&] {
        ++reads;
        // A reading just before midnight: time and date must come from this one instant.
        return QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59));
    });
    QVERIFY(r.ok());
    QCOMPARE(reads, 1);
    QCOMPARE(image.word(15049), PackTime(QTime(23, 59, 59)));
    QCOMPARE(image.word(15051), PackDate(QDate(2026, 12, 31)));
}

void TestImageComposer::composingTwiceGivesTheSameImage() {
    const QString path = writePargen(pargen(kDistinct));
    ConfigImage first;
    ConfigImage second;
    QVERIFY(ComposeImage(first, path).ok());
    QVERIFY(ComposeImage(second, path).ok());
    for (std::size_t offset : {std::size_t(15049), std::size_t(15051)}) {
        first.setWord(offset, 0);
        second.setWord(offset, 0);
    }
    QVERIFY(first == second);
    QCOMPARE(blockOf(first).left(49), expectedBlock().left(49));
}

void TestImageComposer::sourceDateEpoch_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("timeWord");
    QTest::addColumn<int>("dateWord");
    // 1796740527 is 14:35:27 UTC on 8 December 2026; the stamp is in local time.
    QTest::newRow("UTC") << QByteArray("UTC0") << 0x6C6E << 0x461A;
    QTest::newRow("one hour east") << QByteArray("CET-1") << 0x6C6F << 0x461A;
    QTest::newRow("next day far east") << QByteArray("XYZ-10") << 0x6C60 << 0x4E1A;
}

// Composes with SOURCE_DATE_EPOCH set and the time zone `zone`, both restored afterwards.
Result<> TestImageComposer::composeAt(const QByteArray& zone, const QByteArray& epoch) {
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
    qputenv("SOURCE_DATE_EPOCH", epoch);
    const Result<> r = ComposeImage(image, writePargen(pargen(kDistinct)));
    qunsetenv("SOURCE_DATE_EPOCH");
    if (oldZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldZone);
    tzset();
    return r;
}

void TestImageComposer::sourceDateEpoch() {
    QFETCH(QByteArray, zone);
    QFETCH(int, timeWord);
    QFETCH(int, dateWord);
    const Result<> r = composeAt(zone, "1796740527");
    QVERIFY2(r.ok(), qPrintable(r.error()));
    QCOMPARE(image.word(15049), timeWord);
    QCOMPARE(image.word(15051), dateWord);
}

void TestImageComposer::sourceDateEpochAfter2038() {
    const Result<> r = composeAt("UTC0", "4102491661"); // 2100-01-01 13:01:01 UTC
    QVERIFY2(r.ok(), qPrintable(r.error()));
    QCOMPARE(image.word(15049), 0 * 2048 + 1 * 32 + 13);
    QCOMPARE(image.word(15051), 1 * 2048 + 1 * 128 + 0);
}

void TestImageComposer::invalidSourceDateEpoch() {
    qputenv("SOURCE_DATE_EPOCH", "yesterday");
    ConfigImage image;
    const Result<> r = ComposeImage(image, writePargen(pargen(kDistinct)));
    qunsetenv("SOURCE_DATE_EPOCH");
    QVERIFY(!r.ok());
    QVERIFY2(r.error().contains("SOURCE_DATE_EPOCH") && r.error().contains("'yesterday'"),
             qPrintable(r.error()));
    QCOMPARE(image.word(15049), 0);
}

QTEST_GUILESS_MAIN(TestImageComposer)
#include "test_imagecomposer.moc"
