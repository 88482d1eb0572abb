#include "editors/RepeatedMinimum.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The passes exactly as they are described, n of them over the whole list; what no pass
// chooses follows in list order.
std::vector<int> passes(const std::vector<OrderKey>& keys, const OrderKey& bound, TieRule tie) {
    std::vector<bool> written(keys.size(), false);
    std::vector<int> out;
    for (;;) {
        OrderKey minimum = bound;
        int chosen = -1;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (written[i])
                continue;
            if (keys[i] < minimum) {
                chosen = int(i);
                minimum = keys[i];
            } else if (keys[i] == minimum && tie == TieRule::TakeLater) {
                chosen = int(i);
            }
        }
        if (chosen < 0)
            break;
        written[std::size_t(chosen)] = true;
        out.push_back(chosen);
    }
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!written[i])
            out.push_back(int(i));
    return out;
}

} // namespace

class TestOrdering : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void againstPasses_data();
    void againstPasses();
    void keyTexts_data();
    void keyTexts();
};

void TestOrdering::againstPasses_data() {
    QTest::addColumn<int>("parts");
    QTest::addColumn<int>("spread");
    QTest::addColumn<bool>("take");
    for (const int parts : {1, 2, 3})
        for (const int spread : {3, 40})
            for (const bool take : {false, true})
                QTest::addRow("%d part(s), keys -%d..%d, %s", parts, spread, spread,
                              take ? "take later" : "keep earlier")
                    << parts << spread << take;
}

// Small key ranges give many equal keys, keys equal to the bound and keys above it.
void TestOrdering::againstPasses() {
    QFETCH(int, parts);
    QFETCH(int, spread);
    QFETCH(bool, take);
    const TieRule tie = take ? TieRule::TakeLater : TieRule::KeepEarlier;
    QRandomGenerator random(quint32(parts * 1000 + spread * 10 + int(take)));
    const auto part = [&] { return random.bounded(-spread, spread + 1); };
    for (int round = 0; round < 400; ++round) {
        OrderKey bound{};
        for (int p = 0; p < parts; ++p)
            bound[std::size_t(p)] = part();
        std::vector<OrderKey> keys(std::size_t(random.bounded(0, 40)), OrderKey{});
        for (OrderKey& key : keys)
            for (int p = 0; p < parts; ++p)
                key[std::size_t(p)] = part();
        QCOMPARE(RepeatedMinimumOrder(keys, bound, tie), passes(keys, bound, tie));
    }
}

void TestOrdering::keyTexts_data() {
    QTest::addColumn<int>("reading");
    QTest::addColumn<QStringList>("bound");
    QTest::addColumn<bool>("take");
    QTest::addColumn<QStringList>("keys"); // parts joined by "/"
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<QString>("error");

    const int strict = int(KeyReading::IntegerText);
    const int low16 = int(KeyReading::Low16Unsigned);
    const QStringList sdoBound{"0x10000", "0"};
    const QStringList pdoBound{"0x999999"};
    QTest::newRow("sdo example") << low16 << sdoBound << false
                                 << QStringList{"0x2000/1", "0x1000/2", "0x1000/1"}
                                 << QList<int>{2, 1, 0} << QString();
    QTest::newRow("sdo equal keys keep grid order")
        << low16 << sdoBound << false << QStringList{"5/1", "4096/1", "0x1000/1", "$1000/1"}
        << QList<int>{0, 1, 2, 3} << QString();
    QTest::newRow("sdo text sorts as 0")
        << low16 << sdoBound << false << QStringList{"1/0", "abc/1", "0/5"} << QList<int>{1, 2, 0}
        << QString();
    QTest::newRow("sdo low 16 bits, unsigned")
        << low16 << sdoBound << false << QStringList{"65535/0", "0x10001/0", "32768/0", "-1/1"}
        << QList<int>{1, 2, 0, 3} << QString();
    QTest::newRow("pdo equal cobids in reverse")
        << strict << pdoBound << true << QStringList{"0x181", "0x182", "385"} << QList<int>{2, 0, 1}
        << QString();
    QTest::newRow("pdo bound written, above it last")
        << strict << pdoBound << true << QStringList{"0x1000000", "0x999999", "$40000000", "1"}
        << QList<int>{3, 1, 0, 2} << QString();
    QTest::newRow("pdo negative first")
        << strict << pdoBound << true << QStringList{"5", "0xFFFFFFFF", "-7"} << QList<int>{2, 1, 0}
        << QString();
    QTest::newRow("first invalid in list order")
        << strict << pdoBound << true << QStringList{"1", "0x", "abc", "2 "} << QList<int>{}
        << "'0x' is not a valid integer value";
    QTest::newRow("invalid second part")
        << strict << QStringList{"999999", "999999"} << false << QStringList{"1/2", "1/x"}
        << QList<int>{} << "'x' is not a valid integer value";
    QTest::newRow("two parts, equal kept") << strict << QStringList{"0x999999", "0x999999"} << false
                                           << QStringList{"8192/2", "8192/1", "4096/5", "8192/1"}
                                           << QList<int>{2, 1, 3, 0} << QString();
}

void TestOrdering::keyTexts() {
    QFETCH(int, reading);
    QFETCH(QStringList, bound);
    QFETCH(bool, take);
    QFETCH(QStringList, keys);
    QFETCH(QList<int>, order);
    QFETCH(QString, error);
    std::vector<QStringList> texts;
    for (const QString& key : keys)
        texts.push_back(key.split('/'));
    const OrderRule rule{KeyReading(reading), bound,
                         take ? TieRule::TakeLater : TieRule::KeepEarlier};
    const Result<std::vector<int>> got = OrderEntries(texts, rule);
    QCOMPARE(got.error(), error);
    if (error.isEmpty())
        QCOMPARE(QList<int>(got->begin(), got->end()), order);
}

QTEST_APPLESS_MAIN(TestOrdering)
#include "test_ordering.moc"
