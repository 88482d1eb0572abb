#include "firmware/BankWindow.h"
#include "firmware/SRecord.h"

#include "FirmwareTestData.h"

#include <QTest>

class TestSRecord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksum_data();
    void checksum();
    void checksumLeavesBadRecordsAlone_data();
    void checksumLeavesBadRecordsAlone();
    void bankRecordsOfZeroImage();
    void bankWindows_data();
    void bankWindows();
    void parse_data();
    void parse();
};

void TestSRecord::checksum_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("digits");
    const QByteArray zeros(64, '0');
    QTest::newRow("first zero bank record") << "S224388000" + zeros + "00" << QByteArray("23");
    QTest::newRow("last zero bank record") << "S22438BFE0" + zeros + "00" << QByteArray("04");
    QTest::newRow("old digits overwritten") << "S224388000" + zeros + "FF" << QByteArray("23");
    QTest::newRow("S9") << QByteArray("S9030000XX") << QByteArray("FC");
    QTest::newRow("lower-case digits read") << QByteArray("S1050a0bff00") << QByteArray("E6");
    QTest::newRow("sum wraps") << QByteArray("S206FFFFFFFF00") << QByteArray("FD");
}

void TestSRecord::checksum() {
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, digits);
    QByteArray whole = record;
    QCOMPARE(SRecordChecksum(record, true), digits);
    QCOMPARE(record.right(2), digits); // written over the record's last two characters
    QCOMPARE(SRecordChecksum(whole, false), whole);
    QCOMPARE(whole, record.chopped(2) + digits);
}

void TestSRecord::checksumLeavesBadRecordsAlone_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("too short") << QByteArray("S9");
    QTest::newRow("not hexadecimal") << QByteArray("S2043880GG00");
}

void TestSRecord::checksumLeavesBadRecordsAlone() {
    QFETCH(QByteArray, record);
    const QByteArray before = record;
    QVERIFY(SRecordChecksum(record, true).isEmpty());
    QCOMPARE(record, before);
}

void TestSRecord::bankRecordsOfZeroImage() {
    const std::uint8_t zeros[32] = {};
    const QByteArray first = FormatBankRecord(0x388000, zeros);
    QCOMPARE(first.size(), 76);
    QCOMPARE(first, "S224388000" + QByteArray(64, '0') + "23");
    QCOMPARE(FormatBankRecord(0x38BFE0, zeros), "S22438BFE0" + QByteArray(64, '0') + "04");
    std::uint8_t data[32];
    for (int i = 0; i < 32; ++i)
        data[i] = std::uint8_t(0xE0 + i);
    QCOMPARE(FormatBankRecord(0x3C8020, data),
             testdata::record('2', 0x3C8020, QByteArray(reinterpret_cast<const char*>(data), 32)));
}

void TestSRecord::bankWindows_data() {
    QTest::addColumn<int>("bank");
    QTest::addColumn<uint>("start");
    QTest::addColumn<uint>("end");
    QTest::addColumn<QString>("message");
    QTest::newRow("1") << 1 << 0x388000u << 0x38BFFFu << "File bank1.bin Not Found,Abort Procedure";
    QTest::newRow("2") << 2 << 0x398000u << 0x39BFFFu << "File bank2.bin Not Found,Abort Procedure";
    QTest::newRow("3") << 3 << 0x3A8000u << 0x3ABFFFu << "File bank3.bin Not Found,Abort Procedure";
    QTest::newRow("4") << 4 << 0x3B8000u << 0x3BBFFFu << "File bank4.bin Not Found,Abort Procedure";
    QTest::newRow("5") << 5 << 0x3C8000u << 0x3CBFFFu << "File bank5.bin Not Found,Abort Procedure";
}

void TestSRecord::bankWindows() {
    QFETCH(int, bank);
    QFETCH(uint, start);
    QFETCH(uint, end);
    QFETCH(QString, message);
    QCOMPARE(BankWindowStart(bank), start);
    QCOMPARE(BankWindowEnd(bank), end);
    QCOMPARE(BankMissingMessage(bank), message);
}

void TestSRecord::parse_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("wellFormed");
    QTest::addColumn<bool>("checksumOk");
    QTest::addColumn<uint>("address");
    QTest::addColumn<int>("dataBytes");
    QTest::newRow("S2") << testdata::s2(0x388000) << true << true << 0x388000u << 32;
    QTest::newRow("S1") << testdata::record('1', 0x1234, "ab") << true << true << 0x1234u << 2;
    QTest::newRow("S3") << testdata::record('3', 0x12345678, "a") << true << true << 0x12345678u
                        << 1;
    QTest::newRow("S1 of the most bytes")
        << testdata::record('1', 0x1234, QByteArray(SRecord::kMaxData, 'x')) << true << true
        << 0x1234u << SRecord::kMaxData;
    QTest::newRow("S0 header") << testdata::record('0', 0, "hdr") << true << true << 0u << 3;
    QTest::newRow("S9") << QByteArray("S9030000FC") << true << true << 0u << 0;
    QByteArray bad = testdata::s2(0x388000);
    bad[bad.size() - 1] = bad.endsWith('0') ? '1' : '0';
    QTest::newRow("wrong checksum") << bad << true << false << 0x388000u << 32;
    QTest::newRow("count too long") << QByteArray("S2253880000000") << false << false << 0u << 0;
    QTest::newRow("not hexadecimal") << QByteArray("S2053880ZZ00") << false << false << 0u << 0;
    QTest::newRow("S4 unknown") << QByteArray("S4030000FC") << false << false << 0u << 0;
    QTest::newRow("text") << QByteArray("hello") << false << false << 0u << 0;
    QTest::newRow("empty") << QByteArray() << false << false << 0u << 0;
    QTest::newRow("count below address") << QByteArray("S2030000FC") << false << false << 0u << 0;
}

void TestSRecord::parse() {
    QFETCH(QByteArray, line);
    QFETCH(bool, wellFormed);
    QFETCH(bool, checksumOk);
    QFETCH(uint, address);
    QFETCH(int, dataBytes);
    QString why;
    const std::optional<SRecord> rec = ParseSRecord(line, &why);
    QCOMPARE(rec.has_value(), wellFormed);
    if (!rec) {
        QVERIFY(!why.isEmpty());
        return;
    }
    QCOMPARE(rec->checksumOk, checksumOk);
    QCOMPARE(rec->address, address);
    QCOMPARE(rec->data().size(), dataBytes);
}

QTEST_GUILESS_MAIN(TestSRecord)
#include "test_srecord.moc"
