#include "common/RecordingPrompter.h"
#include "parameters/GeneralParameters.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray kDefaultFile =
    "<General_Parameter><TCP_IP1>0</TCP_IP1><TCP_IP2>0</TCP_IP2><TCP_IP3>0</TCP_IP3>"
    "<TCP_IP4>0</TCP_IP4><TCP_SUB1>255</TCP_SUB1><TCP_SUB2>255</TCP_SUB2>"
    "<TCP_SUB3>255</TCP_SUB3><TCP_SUB4>0</TCP_SUB4><TCP_GAT1>0</TCP_GAT1><TCP_GAT2>0</TCP_GAT2>"
    "<TCP_GAT3>0</TCP_GAT3><TCP_GAT4>0</TCP_GAT4><TCP_PORT>502</TCP_PORT>"
    "<SNMP_PUBLIC>halvik</SNMP_PUBLIC><SNMP_PRIVATE>morsund</SNMP_PRIVATE><BAUD>6</BAUD>"
    "<PARITY>0</PARITY><TIME_OUT>1000</TIME_OUT><OFFSET>0</OFFSET><MODE>1</MODE>"
    "</General_Parameter>";

// A file with one element's text replaced.
QByteArray withElement(const char* name, const QByteArray& text) {
    QByteArray out = kDefaultFile;
    const QByteArray open = QByteArray("<") + name + ">";
    const QByteArray close = QByteArray("</") + name + ">";
    const qsizetype from = out.indexOf(open) + open.size();
    out.replace(from, out.indexOf(close) - from, text);
    return out;
}

QByteArray wrap(const QByteArray& children) {
    return "<General_Parameter>" + children + "</General_Parameter>";
}

} // namespace

class TestGeneralParameters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        dir.reset(new QTemporaryDir);
        QVERIFY(dir->isValid());
        path = dir->filePath("pargen.xml");
    }

    void newProjectFileInTableOrder();
    void missingFileGivesDefaults();
    void fileWithOnlyModeLoadsFallbacks();
    void codes_data();
    void codes();
    void communityNameCutTo13();
    void otherOrderAndExtraElements();
    void roundTrip_data();
    void roundTrip();
    void readerAcceptsDeclarationBomAndWhitespace();
    void malformedFileIsReportedAndKept();
    void replacingUnreadFileIsAsked_data();
    void replacingUnreadFileIsAsked();
    void validation_data();
    void validation();
    void firstFailingCheckWins();
    void hexOctetStoredAsTyped();
    void saveFailureGoesToErrorReport();
    void unstorableCharacterIsRefused();
    void pingAddressAndTranslateButton();

private:
    std::unique_ptr<QTemporaryDir> dir; // fresh for every test function
    QString path;
};

void TestGeneralParameters::newProjectFileInTableOrder() {
    QVERIFY(SaveParameters(WriteParameterDefaults(), path).ok());
    QCOMPARE(readFile(path), kDefaultFile);
}

void TestGeneralParameters::missingFileGivesDefaults() {
    const LoadedParameters loaded = LoadParameters(path);
    QCOMPARE(loaded.error, std::nullopt);
    QVERIFY(loaded.values == WriteParameterDefaults());
    QVERIFY(!QFile::exists(path)); // nothing written by loading
}

void TestGeneralParameters::fileWithOnlyModeLoadsFallbacks() {
    writeFile(path, wrap("<MODE>0</MODE>"));
    const LoadedParameters loaded = LoadParameters(path);
    QCOMPARE(loaded.error, std::nullopt);
    const GeneralParameters& p = loaded.values;
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(p.ip[i], QString("0"));
        QCOMPARE(p.sub[i], QString(i < 3 ? "255" : "0"));
        QCOMPARE(p.gat[i], QString("0"));
    }
    QCOMPARE(p.port, QString("502"));
    QCOMPARE(p.snmpPublic, QString());
    QCOMPARE(p.snmpPrivate, QString());
    QCOMPARE(BaudPosition(p.baudCode), 0); // 9600, not the default 57600
    QCOMPARE(p.parity, 0);
    QCOMPARE(p.timeOut, QString("1000"));
    QCOMPARE(p.offset, QString("0"));
    QCOMPARE(p.mode, 0);
}

void TestGeneralParameters::codes_data() {
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("position"); // list position or mode choice after loading
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("BAUD 3 is 9600")
        << QByteArray("BAUD") << QByteArray("3") << 0 << QByteArray("3");
    QTest::newRow("BAUD 4 is 19200")
        << QByteArray("BAUD") << QByteArray("4") << 1 << QByteArray("4");
    QTest::newRow("BAUD 5 is 38400")
        << QByteArray("BAUD") << QByteArray("5") << 2 << QByteArray("5");
    QTest::newRow("BAUD 6 is 57600")
        << QByteArray("BAUD") << QByteArray("6") << 3 << QByteArray("6");
    QTest::newRow("BAUD 7 is 115200")
        << QByteArray("BAUD") << QByteArray("7") << 4 << QByteArray("7");
    QTest::newRow("BAUD hex") << QByteArray("BAUD") << QByteArray("$7") << 4 << QByteArray("7");
    QTest::newRow("BAUD abc falls back to 9600")
        << QByteArray("BAUD") << QByteArray("abc") << 0 << QByteArray("3");
    // Outside the list: nothing selected, and the stored code survives the next save.
    QTest::newRow("BAUD 9 kept") << QByteArray("BAUD") << QByteArray("9") << -1 << QByteArray("9");
    QTest::newRow("BAUD lowest integer kept")
        << QByteArray("BAUD") << QByteArray("-2147483648") << -1 << QByteArray("-2147483648");
    QTest::newRow("PARITY 0 is NONE")
        << QByteArray("PARITY") << QByteArray("0") << 0 << QByteArray("0");
    QTest::newRow("PARITY 3 is ODD")
        << QByteArray("PARITY") << QByteArray("3") << 1 << QByteArray("3");
    QTest::newRow("PARITY 2 is EVEN")
        << QByteArray("PARITY") << QByteArray("2") << 2 << QByteArray("2");
    QTest::newRow("PARITY 1 is NONE")
        << QByteArray("PARITY") << QByteArray("1") << 0 << QByteArray("0");
    QTest::newRow("PARITY x is NONE")
        << QByteArray("PARITY") << QByteArray("x") << 0 << QByteArray("0");
    QTest::newRow("MODE 0 routing")
        << QByteArray("MODE") << QByteArray("0") << 0 << QByteArray("0");
    QTest::newRow("MODE 1 NAT") << QByteArray("MODE") << QByteArray("1") << 1 << QByteArray("1");
    QTest::newRow("MODE 7 NAT") << QByteArray("MODE") << QByteArray("7") << 1 << QByteArray("1");
    QTest::newRow("MODE -1 NAT") << QByteArray("MODE") << QByteArray("-1") << 1 << QByteArray("1");
    QTest::newRow("MODE abc NAT") << QByteArray("MODE") << QByteArray("abc") << 1
                                  << QByteArray("1");
    QTest::newRow("MODE $0 routing")
        << QByteArray("MODE") << QByteArray("$0") << 0 << QByteArray("0");
}

void TestGeneralParameters::codes() {
    QFETCH(QByteArray, element);
    QFETCH(QByteArray, stored);
    QFETCH(int, position);
    QFETCH(QByteArray, written);

    writeFile(path, withElement(element.constData(), stored));
    const GeneralParameters p = LoadParameters(path).values;
    if (element == "BAUD")
        QCOMPARE(BaudPosition(p.baudCode), position);
    else if (element == "PARITY")
        QCOMPARE(p.parity, position);
    else
        QCOMPARE(p.mode, position);
    QVERIFY(SaveParameters(p, path).ok());
    QCOMPARE(readFile(path), withElement(element.constData(), written));
}

void TestGeneralParameters::communityNameCutTo13() {
    writeFile(path, withElement("SNMP_PUBLIC", "ABCDEFGHIJKLMNOPQRST"));
    const GeneralParameters p = LoadParameters(path).values;
    QCOMPARE(p.snmpPublic, QString("ABCDEFGHIJKLM"));
    QCOMPARE(p.snmpPrivate, QString("morsund"));
    QVERIFY(SaveParameters(p, path).ok());
    QCOMPARE(readFile(path), withElement("SNMP_PUBLIC", "ABCDEFGHIJKLM"));
    // Cut to its spaces, a name still reads back as saved (fuzzing found it read back empty).
    writeFile(path, withElement("SNMP_PUBLIC", QByteArray(20, ' ') + "halvik"));
    const GeneralParameters spaces = LoadParameters(path).values;
    QCOMPARE(spaces.snmpPublic, QString(13, ' '));
    QVERIFY(SaveParameters(spaces, path).ok());
    QCOMPARE(LoadParameters(path).values.snmpPublic, QString(13, ' '));
}

void TestGeneralParameters::otherOrderAndExtraElements() {
    writeFile(path, wrap("<MODE>0</MODE><Extra>9</Extra><TCP_IP4>4</TCP_IP4><TCP_IP1>1</TCP_IP1>"
                         "<tcp_ip2>7</tcp_ip2><TCP_IP2>2</TCP_IP2><TCP_IP3>3</TCP_IP3>"
                         "<TCP_PORT>8080</TCP_PORT><TCP_PORT>9</TCP_PORT><BAUD>7</BAUD>"));
    const GeneralParameters p = LoadParameters(path).values;
    QCOMPARE(PingAddress(p), QString("1.2.3.4")); // names are compared case-sensitively
    QCOMPARE(p.port, QString("8080"));            // the first of two wins
    QCOMPARE(p.baudCode, 7);
    QCOMPARE(p.mode, 0);
    QVERIFY(SaveParameters(p, path).ok());
    const QByteArray saved = readFile(path);
    QVERIFY(!saved.contains("Extra"));
    QVERIFY(!saved.contains("tcp_ip2"));
    QVERIFY(saved.startsWith("<General_Parameter><TCP_IP1>1</TCP_IP1><TCP_IP2>2</TCP_IP2>"));
    QVERIFY(saved.contains("<TCP_PORT>8080</TCP_PORT><SNMP_PUBLIC/><SNMP_PRIVATE/><BAUD>7</BAUD>"));
    QVERIFY(saved.endsWith("<MODE>0</MODE></General_Parameter>"));
}

void TestGeneralParameters::roundTrip_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("defaults") << kDefaultFile;
    QTest::newRow("hex octet") << withElement("TCP_IP1", "$FF");
    QTest::newRow("blank before octet") << withElement("TCP_SUB2", " 128");
    QTest::newRow("out of range octet kept") << withElement("TCP_IP3", "300");
    QTest::newRow("hex time-out") << withElement("TIME_OUT", "0x3E8");
    QTest::newRow("escaped community") << withElement("SNMP_PRIVATE", "a&amp;b&lt;c");
    QTest::newRow("community of spaces") << withElement("SNMP_PUBLIC", "   ");
    QTest::newRow("odd parity") << withElement("PARITY", "3");
    QTest::newRow("routing") << withElement("MODE", "0");
}

void TestGeneralParameters::roundTrip() {
    QFETCH(QByteArray, file);
    writeFile(path, file);
    const LoadedParameters loaded = LoadParameters(path);
    QCOMPARE(loaded.error, std::nullopt);
    QVERIFY(SaveParameters(loaded.values, path).ok());
    QCOMPARE(readFile(path), file);
}

void TestGeneralParameters::readerAcceptsDeclarationBomAndWhitespace() {
    writeFile(path, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                    "<General_Parameter>\r\n  <TCP_IP1>10</TCP_IP1>\r\n  <BAUD>5</BAUD>\r\n"
                    "  <SNMP_PUBLIC>caf\xC3\xA9</SNMP_PUBLIC>\r\n</General_Parameter>\r\n");
    const LoadedParameters loaded = LoadParameters(path);
    QCOMPARE(loaded.error, std::nullopt);
    QCOMPARE(loaded.values.ip[0], QString("10"));
    QCOMPARE(loaded.values.baudCode, 5);
    QCOMPARE(loaded.values.snmpPublic, QString::fromUtf8("caf\xC3\xA9"));
}

void TestGeneralParameters::malformedFileIsReportedAndKept() {
    const QByteArray damaged = "<General_Parameter><TCP_IP1>10</TCP_IP2></General_Parameter>";
    writeFile(path, damaged);
    const LoadedParameters loaded = LoadParameters(path);
    QVERIFY(loaded.error.has_value());
    QVERIFY2(loaded.error->startsWith("File \"" + QDir::toNativeSeparators(path) +
                                      "\" is not well-formed XML: "),
             qPrintable(*loaded.error));
    // The offending text shown starts at the faulty tag, not after it.
    QVERIFY2(loaded.error->endsWith("Line: 1\n</TCP_IP2></General_Parameter>"),
             qPrintable(*loaded.error));
    QVERIFY(loaded.values == WriteParameterDefaults());
    QCOMPARE(readFile(path), damaged);
}

void TestGeneralParameters::replacingUnreadFileIsAsked_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("outcome");
    QTest::newRow("no keeps the file") << false << int(ParametersOk::Declined);
    QTest::newRow("yes replaces it") << true << int(ParametersOk::Saved);
}

void TestGeneralParameters::replacingUnreadFileIsAsked() {
    QFETCH(bool, answer);
    QFETCH(int, outcome);
    const QByteArray damaged = "<General_Parameter><TCP_IP1>";
    writeFile(path, damaged);
    RecordingPrompter prompter;
    prompter.questionAnswers.enqueue(answer);
    const auto result =
        ConfirmParameters(LoadParameters(path).values, path, true, "General Parameter", prompter);
    QCOMPARE(int(result), outcome);
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::Question);
    QCOMPARE(prompter.entries[0].text, ReplaceUnreadFileQuestion(path));
    QCOMPARE(readFile(path), answer ? kDefaultFile : damaged);
}

void TestGeneralParameters::validation_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: passes

    const QString ip = "Error!! IP must be between 0 and 255. ";
    const QString sub = "Error!! Subnet Mask must be between 0 and 255. ";
    const QString gat = "Error!! Gateway must be between 0 and 255. ";
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        QTest::addRow("E_IP%d 256", i + 1) << "ip" + n << "256" << ip;
        QTest::addRow("E_SUB%d x", i + 1) << "sub" + n << "x" << sub;
        QTest::addRow("E_GAT%d -1", i + 1) << "gat" + n << "-1" << gat;
    }
    QTest::newRow("E_IP1 empty") << "ip1"
                                 << "" << ip;
    QTest::newRow("E_IP1 255") << "ip1"
                               << "255"
                               << "";
    QTest::newRow("E_IP1 $FF") << "ip1"
                               << "$FF"
                               << "";
    QTest::newRow("E_IP1 $100") << "ip1"
                                << "$100" << ip;
    QTest::newRow("E_IP1 trailing blank") << "ip1"
                                          << "1 " << ip;
    QTest::newRow("E_Time -1") << "time"
                               << "-1"
                               << "TimeOut Error!!";
    QTest::newRow("E_Time abc") << "time"
                                << "abc"
                                << "TimeOut Error!!";
    QTest::newRow("E_Time 0") << "time"
                              << "0"
                              << "";
    QTest::newRow("E_Time 65535") << "time"
                                  << "65535"
                                  << "";
    QTest::newRow("E_Time 65536") << "time"
                                  << "65536"
                                  << "TimeOut Error!!";
    QTest::newRow("E_Offset empty") << "offset"
                                    << ""
                                    << "Offset Error!!";
    QTest::newRow("E_Offset 65535") << "offset"
                                    << "65535"
                                    << "";
    QTest::newRow("E_Offset 70000") << "offset"
                                    << "70000"
                                    << "Offset Error!!";
    QTest::newRow("port 65535") << "port"
                                << "65535"
                                << "";
    QTest::newRow("port 0") << "port"
                            << "0"
                            << "";
    QTest::newRow("port 65536") << "port"
                                << "65536"
                                << "Port Error!!";
    QTest::newRow("port -1") << "port"
                             << "-1"
                             << "Port Error!!";
    QTest::newRow("port 5.02") << "port"
                               << "5.02"
                               << "Port Error!!";
}

void TestGeneralParameters::validation() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);

    GeneralParameters p = WriteParameterDefaults();
    const int n = field.right(1).toInt() - 1;
    if (field.startsWith("ip"))
        p.ip[n] = text;
    else if (field.startsWith("sub"))
        p.sub[n] = text;
    else if (field.startsWith("gat"))
        p.gat[n] = text;
    else if (field == "time")
        p.timeOut = text;
    else if (field == "offset")
        p.offset = text;
    else
        p.port = text;
    // Port, baud, parity, mode and community names are never what fails the fourteen checks.
    p.baudCode = 99;
    p.parity = -1;
    p.mode = -1;
    p.snmpPublic = QString(40, 'x');
    const Result<> result = ValidateParameters(p);
    QCOMPARE(result.error(), message);
}

void TestGeneralParameters::firstFailingCheckWins() {
    // Each row breaks one more field from the end of the order; the earliest is reported.
    GeneralParameters p = WriteParameterDefaults();
    const QStringList expected = {"Port Error!!",
                                  "Offset Error!!",
                                  "TimeOut Error!!",
                                  "Error!! Gateway must be between 0 and 255. ",
                                  "Error!! Gateway must be between 0 and 255. ",
                                  "Error!! Subnet Mask must be between 0 and 255. ",
                                  "Error!! IP must be between 0 and 255. "};
    p.port = "x";
    QCOMPARE(ValidateParameters(p).error(), expected[0]);
    p.offset = "x";
    QCOMPARE(ValidateParameters(p).error(), expected[1]);
    p.timeOut = "x";
    QCOMPARE(ValidateParameters(p).error(), expected[2]);
    p.gat[3] = "x";
    QCOMPARE(ValidateParameters(p).error(), expected[3]);
    p.gat[0] = "x";
    QCOMPARE(ValidateParameters(p).error(), expected[4]);
    p.sub[3] = "x";
    QCOMPARE(ValidateParameters(p).error(), expected[5]);
    p.ip[3] = "x";
    QCOMPARE(ValidateParameters(p).error(), expected[6]);
}

void TestGeneralParameters::hexOctetStoredAsTyped() {
    GeneralParameters p = WriteParameterDefaults();
    p.ip[0] = "$FF";
    RecordingPrompter prompter;
    QCOMPARE(int(ConfirmParameters(p, path, false, "General Parameter", prompter)),
             int(ParametersOk::Saved));
    QVERIFY(prompter.entries.isEmpty());
    QCOMPARE(readFile(path), withElement("TCP_IP1", "$FF"));
}

void TestGeneralParameters::saveFailureGoesToErrorReport() {
    const QString blocked = dir->filePath("no-such-folder/pargen.xml");
    RecordingPrompter prompter;
    QCOMPARE(int(ConfirmParameters(WriteParameterDefaults(), blocked, false, "General Parameter",
                                   prompter)),
             int(ParametersOk::SaveFailed));
    QCOMPARE(prompter.entries.size(), 1);
    QCOMPARE(prompter.entries[0].kind, RecordingPrompter::Kind::ErrorReport);
    QVERIFY2(prompter.entries[0].text.startsWith("Cannot create file \"" + blocked + "\". "),
             qPrintable(prompter.entries[0].text));
}

void TestGeneralParameters::unstorableCharacterIsRefused() {
    writeFile(path, kDefaultFile);
    GeneralParameters p = WriteParameterDefaults();
    p.snmpPublic = QString("a") + QChar(0x01) + "b";
    const Result<> saved = SaveParameters(p, path);
    QVERIFY(!saved);
    QVERIFY(saved.error().startsWith("Cannot create file"));
    QCOMPARE(readFile(path), kDefaultFile);
}

void TestGeneralParameters::pingAddressAndTranslateButton() {
    GeneralParameters p = WriteParameterDefaults();
    p.ip = {"300", "x", "", "$A"};
    QCOMPARE(PingAddress(p), QString("300.x..$A"));
    QVERIFY(TranslateTableInUse(p));
    p.mode = 0;
    QVERIFY(!TranslateTableInUse(p));
}

QTEST_GUILESS_MAIN(TestGeneralParameters)
#include "test_generalparameters.moc"
