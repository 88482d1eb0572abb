#include "common/IntegerText.h"

#include <QTest>

class TestIntegerText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void message();
};

void TestIntegerText::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    auto ok = [](const char* name, const QString& text, int value) {
        QTest::newRow(name) << text << true << value;
    };
    auto bad = [](const char* name, const QString& text) {
        QTest::newRow(name) << text << false << 0;
    };
    ok("zero", "0", 0);
    ok("decimal", "502", 502);
    ok("plus", "+7", 7);
    ok("minus", "-1", -1);
    ok("leading blanks", "   12", 12);
    ok("blanks then sign", "  -12", -12);
    ok("leading zeros", "000255", 255);
    ok("dollar", "$FF", 255);
    ok("dollar lower", "$ff", 255);
    ok("x", "x10", 16);
    ok("X", "X1f", 31);
    ok("0x", "0x10", 16);
    ok("0X", "0X7FFFFFFF", 2147483647);
    ok("minus hex", "-$10", -16);
    ok("plus hex", "+0x10", 16);
    ok("blank hex", " $10", 16);
    ok("int max", "2147483647", 2147483647);
    ok("int min", "-2147483648", int(-2147483647 - 1));
    ok("hex 80000000", "$80000000", int(-2147483647 - 1));
    ok("hex FFFFFFFF", "$FFFFFFFF", -1);
    ok("hex leading zeros", "$00000000FFFFFFFF", -1);
    ok("minus hex FFFFFFFF", "-$FFFFFFFF", 1);
    ok("300", "300", 300);
    bad("empty", "");
    bad("blank only", "   ");
    bad("lone plus", "+");
    bad("lone minus", "-");
    bad("lone dollar", "$");
    bad("lone x", "x");
    bad("lone 0x", "0x");
    bad("sign then prefix only", "-$");
    bad("trailing blank", "12 ");
    bad("inner blank", "1 2");
    bad("blank after sign", "- 1");
    bad("two signs", "--1");
    bad("letters", "abc");
    bad("hex without prefix", "FF");
    bad("bad hex digit", "$FG");
    bad("decimal point", "1.5");
    bad("int max + 1", "2147483648");
    bad("int min - 1", "-2147483649");
    bad("hex 33 bits", "$100000000");
    bad("tab before", "\t1");
    bad("0x then blank", "0x 1");
    bad("0 then x then nothing", "0X");
    bad("unicode digit", QString::fromUtf8("\xd9\xa1"));
}

void TestIntegerText::parse() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto parsed = ParseIntegerText(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
    QCOMPARE(IntegerTextOr(text, -1), valid ? value : -1);
}

void TestIntegerText::message() {
    QCOMPARE(InvalidIntegerMessage(QStringLiteral("abc")),
             QStringLiteral("'abc' is not a valid integer value"));
}

QTEST_GUILESS_MAIN(TestIntegerText)
#include "test_integertext.moc"
