#include "firmware/LineReader.h"

#include <QTemporaryFile>
#include <QTest>

namespace {

// Lines as S-record files are split: LF ends a line, a CR before it is dropped,
// a last line without LF still counts.
QByteArrayList reference(const QByteArray& text) {
    QByteArrayList lines = text.split('\n');
    if (text.endsWith('\n') || text.isEmpty())
        lines.removeLast();
    for (QByteArray& l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

QByteArray longMixed() {
    QByteArray text;
    // Line lengths that walk across the 256 KiB read chunks at every alignment.
    for (int i = 0; text.size() < 900000; ++i) {
        text += QByteArray(i % 97 + (i % 13 == 0 ? 3000 : 0), char('a' + i % 26));
        text += i % 3 == 0 ? "\r\n" : "\n";
        if (i % 50 == 0)
            text += "\n"; // an empty line
    }
    return text + "last line without end";
}

} // namespace

class TestLineReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void countAndSplit_data();
    void countAndSplit();
    void tooLong();
};

void TestLineReader::countAndSplit_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one LF") << QByteArray("\n");
    QTest::newRow("no line end") << QByteArray("S9030000FC");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n");
    QTest::newRow("empty lines") << QByteArray("a\n\n\r\nb");
    QTest::newRow("lone CR kept inside") << QByteArray("a\rb\n");
    QTest::newRow("CR at the very end") << QByteArray("a\nb\r");
    QTest::newRow("eight-byte words") << QByteArray("1234567\n1234567\n\n\n\n\n\n\n\n");
    QTest::newRow("across chunks") << longMixed();
    // Long runs of line ends are where a counter that sums per-lane hits would overflow.
    QTest::newRow("4080 LF") << QByteArray(4080, '\n');
    QTest::newRow("20000 LF") << QByteArray(20000, '\n');
    QTest::newRow("600001 LF then text") << QByteArray(600001, '\n') + "S9";
    QTest::newRow("LF every 256 KiB") << (QByteArray(262143, 'x') + '\n').repeated(3);
}

void TestLineReader::countAndSplit() {
    QFETCH(QByteArray, text);
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(text);
    file.seek(0);
    LineReader reader(file);
    const QByteArrayList expected = reference(text);
    QCOMPARE(reader.countLines(), qint64(expected.size()));
    QByteArrayList got;
    QByteArrayView line;
    LineReader::Status status;
    while ((status = reader.next(line)) == LineReader::Status::Line)
        got << line.toByteArray();
    QCOMPARE(status, LineReader::Status::End);
    QCOMPARE(got.size(), expected.size());
    QCOMPARE(got, expected);
}

void TestLineReader::tooLong() {
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("short\n" + QByteArray(LineReader::kMaxLine + 1, 'x') + "\nafter\n");
    file.seek(0);
    LineReader reader(file);
    QCOMPARE(reader.countLines(), 3);
    QByteArrayView line;
    QCOMPARE(reader.next(line), LineReader::Status::Line);
    QCOMPARE(reader.next(line), LineReader::Status::Error);
    QVERIFY(!reader.errorString().isEmpty());
    // A line of exactly the limit is still a line.
    QTemporaryFile limit;
    QVERIFY(limit.open());
    limit.write(QByteArray(LineReader::kMaxLine, 'y'));
    limit.seek(0);
    LineReader atLimit(limit);
    QCOMPARE(atLimit.next(line), LineReader::Status::Line);
    QCOMPARE(line.size(), LineReader::kMaxLine);
}

QTEST_GUILESS_MAIN(TestLineReader)
#include "test_linereader.moc"
