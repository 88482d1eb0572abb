// quenzor-cli probe against a Modbus TCP server of the test's own on 127.0.0.1, and in network
// namespaces of its own where nothing listens or where every packet is dropped.
#include "CliRun.h"
#include "TestSupport.h"

#include "parameters/GeneralParameters.h"
#include "parameters/TranslateTable.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <iterator>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

TMyRec row(int type, int tcp, int points, int device = 1) {
    TMyRec r;
    r.DataType = std::uint8_t(type);
    r.TcpAddress = std::uint16_t(tcp);
    r.NPoint = std::uint8_t(points);
    r.RtuAddDev = std::uint8_t(device);
    r.RtuAddress = std::uint16_t(tcp);
    return r;
}

enum { Coils = 1, Inputs, Holding, InputRegs };

// The rows of the mixed project and the line each must print, spaces squeezed.
struct Expected {
    TMyRec rec;
    const char* line;
};
const Expected kMixed[] = {
    {row(Coils, 0, 8), "Coil Status TCP 0-7 RTU device 1 answered: 1 0 0 1 0 0 1 0"},
    {row(Inputs, 0, 4), "Input Status TCP 0-3 RTU device 1 answered: 0 1 0 1"},
    {row(Holding, 10, 10, 3),
     "Holding Register TCP 10-19 RTU device 3 answered: 1010 1011 1012 1013 1014 1015 1016 "
     "1017 ..."},
    {row(InputRegs, 0, 2), "Input Register TCP 0-1 RTU device 1 answered: 2000 2001"},
    {row(Holding, 200, 2, 9),
     "Holding Register TCP 200-201 RTU device 9 exception 0B (gateway target device failed to "
     "respond)"},
    {row(Holding, 210, 1, 7),
     "Holding Register TCP 210 RTU device 7 exception 0A (gateway path unavailable)"},
    {row(InputRegs, 500, 1), "Input Register TCP 500 RTU device 1 exception 02 (illegal data "
                             "address)"},
    {row(Holding, 300, 2), "Holding Register TCP 300-301 RTU device 1 time-out (no answer "
                           "within 300 ms)"},
    {row(Holding, 310, 1), "Holding Register TCP 310 RTU device 1 time-out (no answer "
                           "within 300 ms)"},
    // Read on a new connection, so the late answer is not taken for it.
    {row(Holding, 5, 1), "Holding Register TCP 5 RTU device 1 answered: 1005"},
    {row(Holding, 20, 0), "Holding Register TCP 20 RTU device 1 not read (0 points)"},
    // More registers than one request may carry.
    {row(Holding, 0, 127),
     "Holding Register TCP 0-126 RTU device 1 answered: 1000 1001 1002 1003 1004 1005 1006 1007 "
     "..."},
    // Runs past the server's last coil.
    {row(Coils, 10, 8), "Coil Status TCP 10-17 RTU device 1 exception 02 (illegal data address)"},
};
const char kMixedSummary[] =
    "6 of 13 rows answered, 4 exceptions, 2 time-outs, 1 not read (0 points)";

} // namespace

class TestProbe : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QProcess server_;
    QString port_;
    QString refusedPort_;
    int refusedSocket_ = -1;
    CliRun mixed_;
    QDateTime mixedFrom_;
    QDateTime mixedTo_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    // A project whose pargen.xml names 127.0.0.1 and the server's port, with `rows`.
    QString project(const QString& name, const QList<TMyRec>& rows) {
        QDir().mkpath(path(name));
        GeneralParameters p = WriteParameterDefaults();
        p.ip = {QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"),
                QStringLiteral("$1")};
        p.port = port_;
        p.timeOut = QStringLiteral("0");
        if (!SaveParameters(p, path(name + "/pargen.xml")) ||
            !SaveTranslateFile(rows, path(name + "/var.xml")))
            qFatal("cannot write the project");
        return path(name);
    }

    QStringList lines(const QString& out) const {
        QStringList all;
        for (const QString& l : out.split('\n', Qt::SkipEmptyParts))
            all << l.simplified();
        return all;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        server_.start(QStringLiteral(MODBUS_SERVER), {});
        QVERIFY(server_.waitForReadyRead(10000));
        const QByteArray first = server_.readLine().trimmed();
        QVERIFY2(first.startsWith("port "), first.constData());
        port_ = QString::fromLatin1(first.mid(5));

        // Bound but not listening: a connection to it is refused, and no one else can take it.
        refusedSocket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        QVERIFY(::bind(refusedSocket_, reinterpret_cast<sockaddr*>(&a), size) == 0);
        QVERIFY(::getsockname(refusedSocket_, reinterpret_cast<sockaddr*>(&a), &size) == 0);
        refusedPort_ = QString::number(ntohs(a.sin_port));

        QList<TMyRec> rows;
        for (const Expected& e : kMixed)
            rows << e.rec;
        const QString mixed = project("mixed", rows);
        mixedFrom_ = QDateTime::currentDateTimeUtc();
        mixed_ = runCli({"probe", mixed, "--timeout", "300", "--save"});
        mixedTo_ = QDateTime::currentDateTimeUtc();
    }

    void cleanupTestCase() {
        server_.terminate();
        server_.waitForFinished();
        if (refusedSocket_ >= 0)
            ::close(refusedSocket_);
    }

    void rowLines_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kMixed)); ++i)
            QTest::addRow("row %d", i + 1) << i;
    }
    void rowLines() {
        QFETCH(int, index);
        const QStringList out = lines(mixed_.out);
        const QString expected = QStringLiteral("row %1 %2").arg(index + 1).arg(kMixed[index].line);
        QVERIFY2(out.contains(expected), qPrintable(mixed_.out + mixed_.err));
    }

    void mixedSummaryAndStatus() {
        QCOMPARE(mixed_.status, 1);
        QCOMPARE(lines(mixed_.out).first(),
                 QStringLiteral("Probing 127.0.0.1:%1 with a time-out of 300 ms: 13 rows of "
                                "var.xml")
                     .arg(port_));
        QCOMPARE(lines(mixed_.out).last(), QString::fromLatin1(kMixedSummary));
    }

    void savedResults() {
        const QJsonObject saved =
            QJsonDocument::fromJson(readFile(path("mixed/probe.json"))).object();
        const QDateTime time = QDateTime::fromString(saved["time"].toString(), Qt::ISODateWithMs);
        QVERIFY2(time >= mixedFrom_.addMSecs(-1) && time <= mixedTo_,
                 qPrintable(saved["time"].toString()));
        QCOMPARE(saved["port"].toInt(), port_.toInt());
        QCOMPARE(saved["summary"].toString(), QString::fromLatin1(kMixedSummary));
        const QJsonArray rows = saved["rows"].toArray();
        QCOMPARE(rows.size(), qsizetype(std::size(kMixed)));
        QCOMPARE(rows[4]["exception_code"].toInt(), 11);
        QCOMPARE(rows[7]["outcome"].toString(), QStringLiteral("time-out"));
        const QJsonArray all = rows[11]["values"].toArray();
        QCOMPARE(all.size(), 127);
        QCOMPARE(all.last().toInt(), 1126);
    }

    void exitStatus_data() {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QStringList local{"--address", "127.0.0.1", "--port", "@port"};
        QTest::newRow("all answered, at pargen.xml's address")
            << "good" << QStringList{} << 0 << "4 of 4 rows answered";
        QTest::newRow("connection refused") << "good" << QStringList{"--port", "@refused"} << 3
                                            << "did not accept the connection: connection refused";
        QTest::newRow("new project holds 0.0.0.0")
            << "new" << QStringList{} << 2 << "No IP address is set (0.0.0.0).";
        QTest::newRow("new project, address given")
            << "new" << local << 0 << "0 of 0 rows answered";
        QTest::newRow("row refused by the table's checks")
            << "badrow" << local << 2 << "N° Point must be between 0 and 127.";
        QTest::newRow("no var.xml") << "novar" << local << 2 << "Cannot open file";
        QTest::newRow("no project folder") << "none" << local << 2 << "is not a project folder";
        QTest::newRow("port out of range")
            << "good" << QStringList{"--port", "65536"} << 2 << "--port must be";
        QTest::newRow("time-out not a number")
            << "good" << QStringList{"--timeout", "soon"} << 2 << "--timeout must be";
        QTest::newRow("watch of 0 s")
            << "good" << QStringList{"--watch", "0"} << 2 << "--watch must be";
    }
    void exitStatus() {
        QFETCH(QString, project);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, says);
        if (!QFileInfo::exists(path("good"))) {
            this->project("good", {row(Coils, 0, 1), row(Inputs, 1, 1), row(Holding, 199, 1),
                                   row(InputRegs, 9, 1)});
            QVERIFY(runCli({"new-project", path("new")}).status == 0);
            this->project("badrow", {});
            writeFile(path("badrow/var.xml"),
                      "<TCP_TO_RTU><row DATA_TYPE=\"3\" TCP_ADDRESS=\"0\" RTU_ADD_DEV=\"1\" "
                      "RTU_ADDRESS=\"0\" N_POINT=\"200\" MNEMONIC=\"\"/></TCP_TO_RTU>");
            QFile::remove(this->project("novar", {}) + "/var.xml");
        }
        options.replaceInStrings("@port", port_).replaceInStrings("@refused", refusedPort_);
        const CliRun run = runCli(QStringList{"probe", path(project)} + options);
        QVERIFY2(run.out.contains(says) || run.err.contains(says), qPrintable(run.out + run.err));
        QCOMPARE(run.status, status);
    }

    // Counts reads at holding register 199, so every round changes that row.
    void watchShowsChangesAndStopsOnInterrupt() {
        const QString watched = project("watch", {row(Holding, 199, 1), row(Coils, 0, 8)});
        QProcess cli;
        cli.start(QStringLiteral(QUENZOR_PROGRAM_DIR "/quenzor-cli"),
                  {"probe", watched, "--watch", "1", "--timeout", "300"});
        QByteArray out;
        QElapsedTimer waited;
        waited.start();
        while (!out.contains("round 2") && waited.elapsed() < 15000 && cli.waitForReadyRead(15000))
            out += cli.readAllStandardOutput();
        QVERIFY2(out.contains("round 2"), out.constData());
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(10000));
        out += cli.readAllStandardOutput();
        const QStringList got = lines(QString::fromLocal8Bit(out));
        QVERIFY2(got.filter(QRegularExpression("^round 2 at \\d\\d:\\d\\d:\\d\\d: 1 row changed$"))
                         .size() == 1,
                 out.constData());
        // Earlier cases read the counter too: what counts is that it moved on by one.
        const QRegularExpressionMatch step =
            QRegularExpression("\\nTCP 199: (\\d+) -> (\\d+)\\n").match(got.join('\n') + '\n');
        QVERIFY2(step.hasMatch(), out.constData());
        QCOMPARE(step.captured(2).toInt(), step.captured(1).toInt() + 1);
        QVERIFY(got.contains("row 1 Holding Register TCP 199 RTU device 1 answered: " +
                             step.captured(2)));
        QVERIFY(got.filter(QRegularExpression("^stopped after \\d+ rounds; rows that changed: 1$"))
                    .size() == 1);
        QCOMPARE(got.last(), QStringLiteral("2 of 2 rows answered"));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 0);
    }

    // Inside a namespace made for the test: its loopback, where nothing listens, and a veth
    // pair whose far end drops what it is sent.
    void namespaces_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing listens") << "true"
                                         << "127.0.0.1"
                                         << "connection refused";
        QTest::newRow("packets dropped")
            << "ip link add qz0 type veth peer name qz1 && ip link set qz1 up && "
               "ip addr add 10.77.0.1/24 dev qz0 && ip link set qz0 up && "
               "ip neigh add 10.77.0.2 lladdr 02:00:00:00:77:02 dev qz0 nud permanent"
            << "10.77.0.2"
            << "no answer within 500 ms";
    }
    void namespaces() {
        QFETCH(QString, setup);
        QFETCH(QString, address);
        QFETCH(QString, says);
        if (::geteuid() != 0)
            QSKIP("needs root to make a network namespace");
        if (QProcess::execute("unshare", {"-n", "true"}) != 0)
            QSKIP("unshare -n is not permitted here");
        const QString good = path("good");
        if (!QFileInfo::exists(good))
            project("good", {row(Coils, 0, 1)});
        QProcess p;
        p.start("unshare",
                {"-n", "sh", "-c", "ip link set lo up && " + setup + " || exit 77; exec \"$@\"",
                 "sh", QUENZOR_PROGRAM_DIR "/quenzor-cli", "probe", good, "--address", address,
                 "--port", "502", "--timeout", "500"});
        QVERIFY(p.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        if (p.exitCode() == 77)
            QSKIP(qPrintable("cannot set up the namespace: " + err));
        QVERIFY2(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(says), qPrintable(err));
        QCOMPARE(p.exitCode(), 3);
    }
};

QTEST_GUILESS_MAIN(TestProbe)
#include "test_probe.moc"
