#include "image/ImageComposer.h"
#include "image/ImageDescription.h"
#include "parameters/GeneralParameters.h"
#include "report/ReportDocument.h"

#include "CliRun.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime kWhen(QDate(2026, 12, 9), QTime(14, 30, 0), Qt::UTC);

CompositionStamp fixedClock() {
    return kWhen;
}

QString sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

const QStringList kSections = {
    "1 Project", "2 General parameters",  "3 Translate table", "4 CANopen tables",
    "5 Check",   "6 Configuration image", "7 New firmware",    "8 Device probe",
    "9 Sign-off"};

// Runs of white space, no-break spaces among them, as one blank.
QString flat(QString text) {
    return text.replace(QChar(0xA0), ' ').simplified();
}

// The text of PDF pages `first` to `last` (1-based; 0: all), empty when pdftotext fails.
QString pdfText(const QString& pdf, int first = 0, int last = 0) {
    QStringList args;
    if (first > 0)
        args << "-f" << QString::number(first) << "-l" << QString::number(last);
    QProcess p;
    p.start("pdftotext", args << pdf << "-");
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void pdfHoldsEverySection_data() { sections(); }
    void pdfHoldsEverySection();
    void htmlHoldsEverySection_data() { sections(); }
    void htmlHoldsEverySection();
    void longTablesRepeatTheirHeadings();
    void probeIsOptionalAndTolerated_data();
    void probeIsOptionalAndTolerated();
    void commandNeedsNoDisplay_data();
    void commandNeedsNoDisplay();

private:
    void sections();

    QTemporaryDir dir;
    QString project;
    QString imageSha;
    QString imageStamp;
    QByteArray firmware = QByteArray("S00600004844521B\r\nnot a real firmware\r\n").repeated(50);
    QString pdf;
    QString html;
};

void TestReport::initTestCase() {
    project = dir.filePath("Pumping station 4");
    QVERIFY(QDir().mkpath(project + "/bin"));
    GeneralParameters p = WriteParameterDefaults();
    p.ip = {"10", "40", "2", "17"};
    writeFile(project + "/pargen.xml", ParametersXml(p));
    QByteArray var = "<TCP_TO_RTU>";
    for (int i = 0; i < 90; ++i)
        var += QStringLiteral("<row DATA_TYPE=\"3\" TCP_ADDRESS=\"%1\" RTU_ADD_DEV=\"2\" "
                              "RTU_ADDRESS=\"%2\" N_POINT=\"4\" MNEMONIC=\"Level %3\"/>")
                   .arg(100 + 4 * i)
                   .arg(4000 + 4 * i)
                   .arg(i)
                   .toUtf8();
    writeFile(project + "/var.xml", var + "</TCP_TO_RTU>");
    writeFile(project + "/sdo.xml",
              "<sdo><row conf=\"17\" IndexA=\"0x2001\" SubindexA=\"1\" devIDB=\"5\" "
              "IndexB=\"0x6040\" SubindexB=\"0\" nbyteB=\"2\" mnemonico=\"Drive speed\"/></sdo>");
    writeFile(project + "/rpdodef.xml",
              "<rpdodef><row cobid=\"0x1A5\" id_dev_orig=\"3\" en_bypass=\"3\" posind=\"0\" "
              "n_tpdo=\"1\"/></rpdodef>");
    writeFile(project + "/New_sx93051.sx", firmware);
    writeFile(project + "/probe.json", R"({"device": {"answered": true, "serial": "QZ-0042"}})");
    ConfigImage image;
    QVERIFY(ComposeImage(image, project + "/pargen.xml", fixedClock).ok());
    imageSha = sha256(image.toByteArray());
    for (const QString& line : DescribeImage(image))
        if (line.startsWith("Composed:"))
            imageStamp = line.mid(9).trimmed().section(' ', 0, 2);

    const auto before = folderSnapshot(project);
    Result<CommissioningReport> report = BuildCommissioningReport(project, fixedClock);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    pdf = dir.filePath("report.pdf");
    html = dir.filePath("report.html");
    QVERIFY(WriteReport(*report, pdf).ok());
    QVERIFY(WriteReport(*report, html).ok());
    QCOMPARE(folderSnapshot(project), before);
}

void TestReport::sections() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("holds");
    QTest::newRow("project") << kSections[0]
                             << QStringList{"Pumping station 4", "Firmware Quenzor 1.001"};
    QTest::newRow("parameters") << kSections[1]
                                << QStringList{"10.40.2.17", "57600 (code 6)", "NAT Mode"};
    QTest::newRow("translate table")
        << kSections[2] << QStringList{"Holding Register", "4356", "Level 89"};
    QTest::newRow("canopen") << kSections[3]
                             << QStringList{"Drive speed", "0x6040", "0x1A5", "sdopdo.xml"};
    QTest::newRow("check") << kSections[4] << QStringList{"Findings of quenzor-cli check"};
    QTest::newRow("image") << kSections[5] << QStringList{"16384 bytes", imageSha, imageStamp};
    QTest::newRow("firmware") << kSections[6]
                              << QStringList{sha256(firmware),
                                             QString("%1 bytes").arg(firmware.size())};
    QTest::newRow("probe") << kSections[7] << QStringList{"device.serial", "QZ-0042"};
    QTest::newRow("sign-off") << kSections[8] << QStringList{"Commissioned by"};
}

// Each section's heading, then what it must hold before the next heading.
void TestReport::pdfHoldsEverySection() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QFETCH(QString, section);
    QFETCH(QStringList, holds);
    const QString text = flat(pdfText(pdf));
    const qsizetype from = text.indexOf(section);
    QVERIFY2(from >= 0, qPrintable(section));
    const qsizetype next = kSections.indexOf(section) + 1;
    const qsizetype to = next < kSections.size() ? text.indexOf(kSections[next], from) : -1;
    const QString body = text.mid(from, to < 0 ? -1 : to - from);
    for (const QString& h : holds)
        QVERIFY2(body.contains(h), qPrintable(h));
}

void TestReport::htmlHoldsEverySection() {
    QFETCH(QString, section);
    QFETCH(QStringList, holds);
    const QString text = QString::fromUtf8(readFile(html));
    const QString heading =
        "<h2>" + section.section(' ', 0, 0) + "&nbsp;&nbsp;" + section.section(' ', 1) + "</h2>";
    const qsizetype from = text.indexOf(heading);
    QVERIFY2(from >= 0, qPrintable(heading));
    const QString body = text.mid(from, text.indexOf("<h2>", from + 4) - from);
    for (const QString& h : holds)
        QVERIFY2(body.contains(h), qPrintable(h));
}

// 90 translate rows take more than a page: the next page starts again with the headings.
void TestReport::longTablesRepeatTheirHeadings() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    int pagesWithRows = 0;
    for (int page = 1; !pdfText(pdf, page, page).isEmpty(); ++page) {
        const QString text = flat(pdfText(pdf, page, page));
        if (!text.contains("Level "))
            continue;
        ++pagesWithRows;
        QVERIFY2(text.contains("Address TCP Address Device RTU"), qPrintable(text.left(300)));
        QVERIFY(text.contains(QString("Page %1 of").arg(page)));
    }
    QVERIFY(pagesWithRows >= 2);
}

void TestReport::probeIsOptionalAndTolerated_data() {
    QTest::addColumn<QByteArray>("probe"); // empty: no file
    QTest::addColumn<QString>("expected"); // empty: no probe section
    QTest::newRow("no probe.json") << QByteArray() << QString();
    QTest::newRow("not JSON") << QByteArray("{\"device\": ") << "could not be read";
    QTest::newRow("an array of values")
        << QByteArray("[1, \"COM3\", null, []]") << "[1] | COM3 | [2] | null | [3] | []";
}

void TestReport::probeIsOptionalAndTolerated() {
    QFETCH(QByteArray, probe);
    QFETCH(QString, expected);
    QTemporaryDir other;
    writeFile(other.filePath("pargen.xml"), ParametersXml(WriteParameterDefaults()));
    if (!probe.isEmpty())
        writeFile(other.filePath("probe.json"), probe);
    Result<CommissioningReport> report = BuildCommissioningReport(other.path(), fixedClock);
    QVERIFY(report.ok());
    QStringList probeText;
    for (const ReportSection& s : report->sections)
        if (s.title == "Device probe") {
            for (const ReportTable& t : s.tables)
                for (const QStringList& row : t.rows)
                    probeText << row;
            probeText << s.notes;
        }
    if (expected.isEmpty())
        QVERIFY(probeText.isEmpty());
    else
        QVERIFY2(probeText.join(" | ").contains(expected), qPrintable(probeText.join(" | ")));
}

void TestReport::commandNeedsNoDisplay_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("withPargen");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("starts"); // of the file written; empty: none written
    QTest::newRow("pdf") << "out.pdf" << true << 0 << QByteArray("%PDF-");
    QTest::newRow("html") << "out.HTML" << true << 0 << QByteArray("<!DOCTYPE html>");
    QTest::newRow("other extension") << "out.txt" << true << 2 << QByteArray();
    QTest::newRow("no pargen.xml") << "out.pdf" << false << 1 << QByteArray();
}

// As a user runs it on a server: no display, no platform chosen.
void TestReport::commandNeedsNoDisplay() {
    QFETCH(QString, output);
    QFETCH(bool, withPargen);
    QFETCH(int, status);
    QFETCH(QByteArray, starts);
    QTemporaryDir other;
    if (withPargen)
        writeFile(other.filePath("pargen.xml"), ParametersXml(WriteParameterDefaults()));
    QProcessEnvironment env;
    env.insert("QT_QPA_PLATFORM", "");
    env.insert("DISPLAY", "");
    env.insert("WAYLAND_DISPLAY", "");
    const QString out = other.filePath(output);
    const CliRun run = runCli({"report", other.path(), "-o", out}, env);
    QCOMPARE(run.status, status);
    if (starts.isEmpty())
        QVERIFY(!QFile::exists(out));
    else
        QVERIFY2(readFile(out).startsWith(starts), qPrintable(run.err));
}

QTEST_MAIN(TestReport)
#include "test_report.moc"
