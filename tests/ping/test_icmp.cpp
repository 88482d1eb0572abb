#include "NetNamespace.h"

#include "ping/IcmpEchoClient.h"
#include "ping/IcmpPacket.h"
#include "ping/PingDevice.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QQueue>
#include <QTest>
#include <QtEndian>

#include <memory>

using Kind = EchoReplyStatus::Kind;

Q_DECLARE_METATYPE(IcmpMatch)
Q_DECLARE_METATYPE(IcmpSocketKind)

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr std::uint32_t kDevice = 0xC0A8000A; // 192.168.0.10, only ever handed to fakes
constexpr std::uint32_t kRouter = 0xC0A80001;
constexpr std::uint16_t kId = 0x4242;

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray b;
    for (int v : list)
        b.append(static_cast<char>(v));
    return b;
}

QByteArray withChecksum(QByteArray message) {
    message[2] = message[3] = 0;
    qToBigEndian<std::uint16_t>(InternetChecksum(message), message.data() + 2);
    return message;
}

QByteArray echoReply(std::uint16_t id, std::uint16_t seq, const QByteArray& data) {
    QByteArray m = BuildEchoRequest(id, seq, data);
    m[0] = static_cast<char>(kIcmpEchoReply);
    return withChecksum(m);
}

QByteArray ipHeader(std::uint32_t src, std::uint32_t dst, int protocol, int payload) {
    QByteArray h(20, '\0');
    h[0] = 0x45;
    qToBigEndian<std::uint16_t>(static_cast<std::uint16_t>(20 + payload), h.data() + 2);
    h[8] = 64;
    h[9] = static_cast<char>(protocol);
    qToBigEndian<std::uint32_t>(src, h.data() + 12);
    qToBigEndian<std::uint32_t>(dst, h.data() + 16);
    return h;
}

// An ICMP error quoting the first 8 bytes of the request that caused it.
QByteArray errorAbout(int type, std::uint32_t dst, const QByteArray& request, int protocol = 1,
                      int quoted = 8) {
    QByteArray m(8, '\0');
    m[0] = static_cast<char>(type);
    m[1] = 1;
    m += ipHeader(0x0A000001, dst, protocol, static_cast<int>(request.size()));
    m += request.left(quoted);
    return withChecksum(m);
}

// Hands out queued messages, then times out; records what was sent.
struct FakeNet {
    QQueue<IcmpReceived> incoming;
    QList<QPair<std::uint32_t, QByteArray>> sent;
    bool rewritesIdentifier = false;
    std::optional<QString> sendError;
    QString openError;
    int lastTimeout = -1;
};

class FakeTransport : public IcmpTransport {
public:
    explicit FakeTransport(std::shared_ptr<FakeNet> net) : net_(std::move(net)) {}
    bool rewritesIdentifier() const override { return net_->rewritesIdentifier; }
    Result<> send(std::uint32_t destination, const QByteArray& message) override {
        net_->sent.append({destination, message});
        if (net_->sendError)
            return Fail(*net_->sendError);
        return Ok();
    }
    IcmpReceived receive(int timeoutMs) override {
        net_->lastTimeout = timeoutMs;
        return net_->incoming.isEmpty() ? IcmpReceived{} : net_->incoming.dequeue();
    }

private:
    std::shared_ptr<FakeNet> net_;
};

IcmpReceived message(const QByteArray& m, std::uint32_t source) {
    IcmpReceived r;
    r.status = IcmpReceived::Status::Message;
    r.message = m;
    r.source = source;
    return r;
}

struct FakeClient {
    std::shared_ptr<FakeNet> net = std::make_shared<FakeNet>();
    IcmpEchoClient client;
    QList<EchoReplyStatus> reports;
    int state = -1;
    explicit FakeClient(std::uint32_t resolvesTo = kDevice) {
        client.Identifier = kId;
        client.Resolver = [resolvesTo](const QString&) { return HostLookup{resolvesTo, {}}; };
        client.OpenSocket = [n = net](IcmpSocketKind) {
            if (!n->openError.isEmpty())
                return IcmpSocketOpen{nullptr, n->openError};
            return IcmpSocketOpen{std::make_unique<FakeTransport>(n), {}};
        };
        client.OnReply = [this](const EchoReplyStatus& s) {
            reports.append(s);
            state = PingReplyStateFor(s);
        };
    }
};

// Fake clock: sleeping advances it.
struct FakeLoop {
    qint64 now = 0;
    int passes = 0;
    std::function<void()> onEvents;
    PingLoopHooks hooks() {
        return {[this] { return now; }, [this](int ms) { now += ms; },
                [this] {
                    ++passes;
                    if (onEvents)
                        onEvents();
                }};
    }
};

bool canOpen(IcmpSocketKind kind, QString* why) {
    const IcmpSocketOpen s = OpenIcmpSocket(kind);
    if (!s.transport)
        *why = s.error;
    return s.transport != nullptr;
}

} // namespace

class TestIcmp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksum_data();
    void checksum();
    void echoRequestLayout();
    void splitIpv4Packet_data();
    void splitIpv4Packet();
    void matching_data();
    void matching();

    void clientTakesOnlyItsAnswer_data();
    void clientTakesOnlyItsAnswer();
    void sequenceNumbers();
    void clientFailures_data();
    void clientFailures();

    void pingDeviceResults_data();
    void pingDeviceResults();
    void waitLoopBound();
    void reportDuringEventsEndsLoop();

    void loopback_data();
    void loopback();
    void silentAndUnreachableHosts_data();
    void silentAndUnreachableHosts();
    void pingDeviceRealTimeout();
    void cliPing_data();
    void cliPing();
};

void TestIcmp::checksum_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("sum");
    // RFC 1071's worked example.
    QTest::newRow("rfc1071") << bytes({0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7}) << 0x220d;
    QTest::newRow("odd length pads with zero") << bytes({0x01, 0x02, 0x03}) << 0xfbfd;
    QTest::newRow("carry folds twice") << bytes({0xff, 0xff, 0xff, 0xff, 0x00, 0x02}) << 0xfffd;
    QTest::newRow("empty") << QByteArray() << 0xffff;
}

void TestIcmp::checksum() {
    QFETCH(QByteArray, data);
    QFETCH(int, sum);
    QCOMPARE(int(InternetChecksum(data)), sum);
}

void TestIcmp::echoRequestLayout() {
    const QByteArray m = BuildEchoRequest(0x1234, 3489, "10.0.0.1");
    QCOMPARE(m.size(), 16);
    QCOMPARE(m.left(2), bytes({8, 0}));
    QCOMPARE(m.mid(4, 4), bytes({0x12, 0x34, 0x0D, 0xA1}));
    QCOMPARE(m.mid(8), QByteArray("10.0.0.1"));
    QCOMPARE(int(InternetChecksum(m)), 0);
}

void TestIcmp::splitIpv4Packet_data() {
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<bool>("icmp");
    QTest::addColumn<QByteArray>("message");
    const QByteArray reply = echoReply(1, 2, "abc");
    QTest::newRow("plain") << ipHeader(kDevice, kLoopback, 1, 11) + reply << true << reply;
    QByteArray withOptions = ipHeader(kDevice, kLoopback, 1, 15) + bytes({1, 1, 1, 0}) + reply;
    withOptions[0] = 0x46;
    qToBigEndian<std::uint16_t>(24 + 11, withOptions.data() + 2);
    QTest::newRow("header options skipped") << withOptions << true << reply;
    QTest::newRow("padding after the datagram dropped")
        << ipHeader(kDevice, kLoopback, 1, 11) + reply + bytes({0, 0, 0}) << true << reply;
    QTest::newRow("udp") << ipHeader(kDevice, kLoopback, 17, 11) + reply << false << QByteArray();
    QTest::newRow("ipv6 version") << QByteArray(1, 0x60) +
                                         (ipHeader(kDevice, kLoopback, 1, 11) + reply).mid(1)
                                  << false << QByteArray();
    QTest::newRow("shorter than its header")
        << ipHeader(kDevice, kLoopback, 1, 0).left(19) << false << QByteArray();
    QTest::newRow("total length beyond data")
        << ipHeader(kDevice, kLoopback, 1, 40) + reply << false << QByteArray();
}

void TestIcmp::splitIpv4Packet() {
    QFETCH(QByteArray, packet);
    QFETCH(bool, icmp);
    QFETCH(QByteArray, message);
    const auto split = SplitIpv4Packet(packet);
    QCOMPARE(split.has_value(), icmp);
    if (split) {
        QCOMPARE(split->message, message);
        QCOMPARE(split->source, kDevice);
        QCOMPARE(split->destination, kLoopback);
    }
}

void TestIcmp::matching_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<uint>("source");
    QTest::addColumn<bool>("matchIdentifier");
    QTest::addColumn<IcmpMatch>("expected");
    const QByteArray data("192.168.0.10");
    const QByteArray request = BuildEchoRequest(kId, 3489, data);
    QByteArray badSum = echoReply(kId, 3489, data);
    badSum[9] = 'X';
    QByteArray codeOne = echoReply(kId, 3489, data);
    codeOne[1] = 1;

    QTest::newRow("our reply") << echoReply(kId, 3489, data) << kDevice << true
                               << IcmpMatch::EchoReply;
    QTest::newRow("other sequence")
        << echoReply(kId, 3490, data) << kDevice << true << IcmpMatch::Unrelated;
    QTest::newRow("other identifier")
        << echoReply(kId + 1, 3489, data) << kDevice << true << IcmpMatch::Unrelated;
    QTest::newRow("other identifier, system-chosen")
        << echoReply(kId + 1, 3489, data) << kDevice << false << IcmpMatch::EchoReply;
    QTest::newRow("other sequence, system-chosen identifier")
        << echoReply(kId + 1, 3488, data) << kDevice << false << IcmpMatch::Unrelated;
    QTest::newRow("from another host")
        << echoReply(kId, 3489, data) << kRouter << true << IcmpMatch::Unrelated;
    QTest::newRow("damaged in transit") << badSum << kDevice << true << IcmpMatch::Unrelated;
    QTest::newRow("reply code not zero")
        << withChecksum(codeOne) << kDevice << true << IcmpMatch::Unrelated;
    QTest::newRow("too short to carry numbers")
        << bytes({0, 0, 0xff, 0xff}) << kDevice << true << IcmpMatch::Unrelated;
    QTest::newRow("our own request on loopback")
        << request << kDevice << true << IcmpMatch::Unrelated;
    QTest::newRow("data cut short")
        << echoReply(kId, 3489, data.left(5)) << kDevice << true << IcmpMatch::DamagedReply;
    QTest::newRow("data altered") << echoReply(kId, 3489, "192.168.0.11") << kDevice << true
                                  << IcmpMatch::DamagedReply;
    QTest::newRow("unreachable about ours")
        << errorAbout(3, kDevice, request) << kRouter << true << IcmpMatch::DestinationUnreachable;
    QTest::newRow("time exceeded about ours")
        << errorAbout(11, kDevice, request) << kRouter << true << IcmpMatch::TimeExceeded;
    QTest::newRow("time exceeded, system-chosen identifier")
        << errorAbout(11, kDevice, BuildEchoRequest(7, 3489, data)) << kRouter << false
        << IcmpMatch::TimeExceeded;
    QTest::newRow("unreachable about another sequence")
        << errorAbout(3, kDevice, BuildEchoRequest(kId, 3490, data)) << kRouter << true
        << IcmpMatch::Unrelated;
    QTest::newRow("unreachable about another identifier")
        << errorAbout(3, kDevice, BuildEchoRequest(kId ^ 1, 3489, data)) << kRouter << true
        << IcmpMatch::Unrelated;
    QTest::newRow("unreachable about another destination")
        << errorAbout(3, kRouter, request) << kRouter << true << IcmpMatch::Unrelated;
    QTest::newRow("unreachable about a udp datagram")
        << errorAbout(3, kDevice, request, 17) << kRouter << true << IcmpMatch::Unrelated;
    QTest::newRow("unreachable quoting too little")
        << errorAbout(3, kDevice, request, 1, 6) << kRouter << true << IcmpMatch::Unrelated;
    QTest::newRow("redirect") << errorAbout(5, kDevice, request) << kRouter << true
                              << IcmpMatch::Unrelated;
}

void TestIcmp::matching() {
    QFETCH(QByteArray, message);
    QFETCH(uint, source);
    QFETCH(bool, matchIdentifier);
    QFETCH(IcmpMatch, expected);
    EchoRequestKey key;
    key.destination = kDevice;
    key.identifier = kId;
    key.sequence = 3489;
    key.matchIdentifier = matchIdentifier;
    key.data = "192.168.0.10";
    QCOMPARE(MatchIcmpMessage(message, source, key), expected);
}

void TestIcmp::clientTakesOnlyItsAnswer_data() {
    QTest::addColumn<QList<IcmpReceived>>("incoming");
    QTest::addColumn<bool>("datagram");
    QTest::addColumn<int>("kind"); // Kind, or -1 for a failure
    QTest::addColumn<uint>("from");
    const QByteArray d("x");
    const QByteArray ours = echoReply(kId, 3489, d);
    const QByteArray request = BuildEchoRequest(kId, 3489, d);
    QTest::newRow("straight answer")
        << QList{message(ours, kDevice)} << false << int(Kind::EchoReply) << kDevice;
    QTest::newRow("others first") << QList{message(echoReply(kId, 3488, d), kDevice),
                                           message(echoReply(kId ^ 1, 3489, d), kDevice),
                                           message(request, kDevice), message(QByteArray(), 0),
                                           message(ours, kDevice)}
                                  << false << int(Kind::EchoReply) << kDevice;
    QTest::newRow("only others: time-out")
        << QList{message(echoReply(kId, 3490, d), kDevice), message(ours, kRouter)} << false
        << int(Kind::TimedOut) << 0u;
    QTest::newRow("system-chosen identifier") << QList{message(echoReply(999, 3489, d), kDevice)}
                                              << true << int(Kind::EchoReply) << kDevice;
    QTest::newRow("unreachable") << QList{message(errorAbout(3, kDevice, request), kRouter)}
                                 << false << int(Kind::DestinationUnreachable) << kRouter;
    QTest::newRow("time exceeded") << QList{message(errorAbout(11, kDevice, request), kRouter)}
                                   << true << int(Kind::TimeExceeded) << kRouter;
    QTest::newRow("damaged reply")
        << QList{message(echoReply(kId, 3489, "y"), kDevice)} << false << -1 << 0u;
    IcmpReceived broken;
    broken.status = IcmpReceived::Status::Failed;
    broken.error = "Receiving the reply failed: boom";
    QTest::newRow("receive fails") << QList{broken} << false << -1 << 0u;
}

void TestIcmp::clientTakesOnlyItsAnswer() {
    QFETCH(QList<IcmpReceived>, incoming);
    QFETCH(bool, datagram);
    QFETCH(int, kind);
    QFETCH(uint, from);
    FakeClient f;
    f.net->rewritesIdentifier = datagram;
    for (const IcmpReceived& r : incoming)
        f.net->incoming.enqueue(r);
    const EchoResult result = f.client.Ping("x");
    QCOMPARE(f.net->sent.size(), 1);
    if (kind < 0) {
        QVERIFY(!result.error.isEmpty());
        QVERIFY(!result.reply);
        QVERIFY(f.reports.isEmpty()); // failures are not reported as a finished wait
        return;
    }
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    QVERIFY(result.reply);
    QCOMPARE(int(result.reply->kind), kind);
    QCOMPARE(result.reply->from, from);
    QCOMPARE(f.reports.size(), 1);
    QCOMPARE(int(f.reports.first().kind), kind);
    QCOMPARE(f.state, kind == int(Kind::EchoReply) ? kPingDataArrived : kPingNoData);
    QVERIFY(f.net->incoming.isEmpty());
}

void TestIcmp::sequenceNumbers() {
    FakeClient f;
    // The first request goes out as 3489; the next one as 3490.
    f.net->incoming.enqueue(message(echoReply(kId, 3489, "a"), kDevice));
    QVERIFY(f.client.Ping("a").reply);
    f.net->incoming.enqueue(message(echoReply(kId, 3489, "a"), kDevice)); // stale, ignored
    f.net->incoming.enqueue(message(echoReply(kId, 3490, "a"), kDevice));
    QCOMPARE(int(f.client.Ping("a").reply->kind), int(Kind::EchoReply));
    QCOMPARE(f.net->sent.size(), 2);
    QCOMPARE(qFromBigEndian<std::uint16_t>(f.net->sent[0].second.constData() + 6), 3489);
    QCOMPARE(qFromBigEndian<std::uint16_t>(f.net->sent[1].second.constData() + 6), 3490);
    QCOMPARE(f.reports[0].sequence, 3489);
    QCOMPARE(f.reports[1].sequence, 3490);
    QCOMPARE(f.net->sent[0].first, kDevice);
    QCOMPARE(f.net->lastTimeout, 5000);

    // No request, no number used; the counter wraps after 65535.
    f.client.Resolver = [](const QString&) { return HostLookup{{}, "nope"}; };
    QVERIFY(!f.client.Ping("a").error.isEmpty());
    QCOMPARE(int(f.client.SequenceNumber), 3491);
    f.client.Resolver = [](const QString&) { return HostLookup{kDevice, {}}; };
    f.client.SequenceNumber = 65535;
    f.client.Ping("a");
    QCOMPARE(int(f.client.SequenceNumber), 0);
}

void TestIcmp::clientFailures_data() {
    QTest::addColumn<uint>("address");
    QTest::addColumn<QString>("openError");
    QTest::addColumn<QString>("sendError");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("sent");
    QTest::newRow("any address") << 0u << ""
                                 << ""
                                 << "0.0.0.0 is not the address of a single host" << 0;
    QTest::newRow("this network") << 0x00000005u << ""
                                  << ""
                                  << "0.0.0.5 is not the address of a single host" << 0;
    QTest::newRow("multicast") << 0xE0000001u << ""
                               << ""
                               << "224.0.0.1 is not the address of a single host" << 0;
    QTest::newRow("broadcast") << 0xFFFFFFFFu << ""
                               << ""
                               << "255.255.255.255 is not the address of a single host" << 0;
    QTest::newRow("no socket") << kDevice << "No raw ICMP socket: Operation not permitted"
                               << ""
                               << "No raw ICMP socket: Operation not permitted" << 0;
    QTest::newRow("send fails")
        << kDevice << ""
        << "Cannot send the echo request to 192.168.0.10: Network is unreachable"
        << "Cannot send the echo request to 192.168.0.10: Network is unreachable" << 1;
}

void TestIcmp::clientFailures() {
    QFETCH(uint, address);
    QFETCH(QString, openError);
    QFETCH(QString, sendError);
    QFETCH(QString, expected);
    QFETCH(int, sent);
    FakeClient f(address);
    f.net->openError = openError;
    if (!sendError.isEmpty())
        f.net->sendError = sendError;
    const EchoResult r = f.client.Ping("a");
    QCOMPARE(r.error, expected);
    QVERIFY(!r.reply);
    QVERIFY(f.reports.isEmpty());
    QCOMPARE(f.net->sent.size(), sent);
}

void TestIcmp::pingDeviceResults_data() {
    QTest::addColumn<QList<IcmpReceived>>("incoming");
    QTest::addColumn<bool>("resolves");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("passes");
    const QByteArray data("192.168.0.10");
    const QByteArray request = BuildEchoRequest(kId, 3489, data);
    QTest::newRow("answers") << QList{message(echoReply(kId, 3489, data), kDevice)} << true << 0
                             << "Ping! Device Found!"
                             << "Device Found!" << 1;
    QTest::newRow("silent") << QList<IcmpReceived>{} << true << 1 << "Ping! Device Not Found!"
                            << "Device Not Found!" << 1;
    // A router telling us the device cannot be reached is no sign of the device.
    QTest::newRow("unreachable") << QList{message(errorAbout(3, kDevice, request), kRouter)} << true
                                 << 1 << "Ping! Device Not Found!"
                                 << "Device Not Found!" << 1;
    QTest::newRow("time exceeded") << QList{message(errorAbout(11, kDevice, request), kRouter)}
                                   << true << 1 << "Ping! Device Not Found!"
                                   << "Device Not Found!" << 1;
    QTest::newRow("name not resolved") << QList<IcmpReceived>{} << false << 2 << "Ping! Error!!!"
                                       << "Error!!! Check the Ip Address" << 0;
    QTest::newRow("damaged reply") << QList{message(echoReply(kId, 3489, "192.168.0.1"), kDevice)}
                                   << true << 2 << "Ping! Error!!!"
                                   << "Error!!! Check the Ip Address" << 0;
}

void TestIcmp::pingDeviceResults() {
    QFETCH(QList<IcmpReceived>, incoming);
    QFETCH(bool, resolves);
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(int, passes);
    FakeClient f;
    QString resolved;
    f.client.Resolver = [&](const QString& host) {
        resolved = host;
        return resolves ? HostLookup{kDevice, {}}
                        : HostLookup{{}, "Cannot resolve 'gateway.invalid'"};
    };
    for (const IcmpReceived& r : incoming)
        f.net->incoming.enqueue(r);
    f.state = 7;
    FakeLoop loop;
    const PingResult r = RunPingDevice(f.client, f.state, "192.168.0.10", loop.hooks());
    QCOMPARE(r.kind, kind);
    QCOMPARE(r.caption, caption);
    QCOMPARE(r.text, text);
    QCOMPARE(loop.passes, passes);
    QCOMPARE(resolved, QStringLiteral("192.168.0.10"));
    QCOMPARE(f.client.Host, QStringLiteral("192.168.0.10"));
    QCOMPARE(f.state, kind == 0 ? kPingDataArrived : kind == 1 ? kPingNoData : kPingNoReport);
    QCOMPARE(r.detail.isEmpty(), kind == 0);
    if (kind == 2 && !resolves)
        QCOMPARE(r.detail, QStringLiteral("Cannot resolve 'gateway.invalid'"));
    if (resolves) {
        // The address text is the echo data.
        QCOMPARE(f.net->sent.size(), 1);
        QCOMPARE(f.net->sent.first().second.mid(8), QByteArray("192.168.0.10"));
    }
}

void TestIcmp::waitLoopBound() {
    // Without a report the loop gives up once 10000 ms have passed.
    FakeClient f;
    f.client.OnReply = nullptr;
    f.state = 5;
    FakeLoop loop;
    loop.now = 1000;
    const PingResult r = RunPingDevice(f.client, f.state, "192.168.0.10", loop.hooks());
    QCOMPARE(f.state, kPingNoReport);
    QCOMPARE(r.kind, 1);
    QCOMPARE(loop.passes, 1001);
    QCOMPARE(loop.now, 1000 + 10010);
}

void TestIcmp::reportDuringEventsEndsLoop() {
    FakeClient f;
    f.client.OnReply = nullptr;
    FakeLoop loop;
    loop.onEvents = [&] {
        if (loop.passes == 3)
            f.state = kPingDataArrived;
    };
    QCOMPARE(RunPingDevice(f.client, f.state, "192.168.0.10", loop.hooks()).kind, 0);
    QCOMPARE(loop.passes, 3);
}

void TestIcmp::loopback_data() {
    QTest::addColumn<IcmpSocketKind>("kind");
    QTest::addColumn<bool>("inNamespace");
    QTest::newRow("automatic") << IcmpSocketKind::Automatic << false;
    QTest::newRow("raw") << IcmpSocketKind::Raw << false;
    QTest::newRow("datagram, own namespace") << IcmpSocketKind::Datagram << true;
    QTest::newRow("raw, own namespace") << IcmpSocketKind::Raw << true;
}

void TestIcmp::loopback() {
    QFETCH(IcmpSocketKind, kind);
    QFETCH(bool, inNamespace);
    QList<EchoResult> results;
    QList<EchoReplyStatus> reports;
    QString why;
    bool opened = false;
    auto pingTwice = [&] {
        opened = canOpen(kind, &why);
        if (!opened)
            return;
        IcmpEchoClient client;
        client.SocketKind = kind;
        client.Host = QStringLiteral("127.0.0.1");
        client.OnReply = [&](const EchoReplyStatus& s) { reports.append(s); };
        results.append(client.Ping("127.0.0.1"));
        client.Host = QStringLiteral("localhost");
        results.append(client.Ping("localhost"));
    };
    if (inNamespace) {
        NetNamespace ns;
        if (!ns.ok())
            QSKIP(qPrintable(ns.why()));
        if (!ns.sysctl("net/ipv4/ping_group_range", "0 2147483647") || !ns.runInside(pingTwice))
            QSKIP(qPrintable(ns.why()));
    } else {
        pingTwice();
    }
    if (!opened)
        QSKIP(qPrintable("no ICMP socket here: " + why));
    QCOMPARE(results.size(), 2);
    for (const EchoResult& r : results) {
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(int(r.reply->kind), int(Kind::EchoReply));
        QCOMPARE(r.reply->from, kLoopback);
    }
    QCOMPARE(reports.size(), 2);
    QCOMPARE(reports[0].sequence, 3489);
    QCOMPARE(reports[1].sequence, 3490);
    QCOMPARE(reports[0].bytesReceived, 8 + 9);
}

void TestIcmp::silentAndUnreachableHosts_data() {
    QTest::addColumn<IcmpSocketKind>("kind");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("expected");
    // 10.200.0.2 has a neighbour entry but nobody behind it; 10.200.0.3 has none, so the
    // address resolution fails and the stack itself reports the host unreachable.
    QTest::newRow("silent, raw") << IcmpSocketKind::Raw << "10.200.0.2" << int(Kind::TimedOut);
    QTest::newRow("silent, datagram")
        << IcmpSocketKind::Datagram << "10.200.0.2" << int(Kind::TimedOut);
    QTest::newRow("unreachable, raw")
        << IcmpSocketKind::Raw << "10.200.0.3" << int(Kind::DestinationUnreachable);
    QTest::newRow("unreachable, datagram")
        << IcmpSocketKind::Datagram << "10.200.0.3" << int(Kind::DestinationUnreachable);
}

void TestIcmp::silentAndUnreachableHosts() {
    QFETCH(IcmpSocketKind, kind);
    QFETCH(QString, host);
    QFETCH(int, expected);
    NetNamespace ns;
    if (!ns.ok())
        QSKIP(qPrintable(ns.why()));
    if (!ns.run({"link", "add", "qza", "type", "veth", "peer", "name", "qzb"}) ||
        !ns.run({"addr", "add", "10.200.0.1/24", "dev", "qza"}) ||
        !ns.run({"link", "set", "qza", "up"}) || !ns.run({"link", "set", "qzb", "up"}) ||
        !ns.run({"neigh", "add", "10.200.0.2", "lladdr", "02:00:00:00:00:02", "dev", "qza", "nud",
                 "permanent"}) ||
        !ns.sysctl("net/ipv4/neigh/qza/mcast_solicit", "1") ||
        !ns.sysctl("net/ipv4/neigh/qza/retrans_time_ms", "100") ||
        !ns.sysctl("net/ipv4/ping_group_range", "0 2147483647"))
        QSKIP(qPrintable(ns.why()));
    EchoResult result;
    qint64 elapsed = 0;
    QString why;
    bool opened = false;
    const bool entered = ns.runInside([&] {
        opened = canOpen(kind, &why);
        if (!opened)
            return;
        IcmpEchoClient client;
        client.SocketKind = kind;
        client.ReceiveTimeout = 1500;
        client.Host = host;
        QElapsedTimer clock;
        clock.start();
        result = client.Ping(host.toLatin1());
        elapsed = clock.elapsed();
    });
    if (!entered)
        QSKIP(qPrintable(ns.why()));
    if (!opened)
        QSKIP(qPrintable("no ICMP socket in the namespace: " + why));
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    QCOMPARE(int(result.reply->kind), expected);
    if (expected == int(Kind::TimedOut)) {
        QVERIFY2(elapsed >= 1450 && elapsed < 3000, qPrintable(QString::number(elapsed)));
        QCOMPARE(result.reply->bytesReceived, 0);
    } else {
        QVERIFY2(elapsed < 1450, qPrintable(QString::number(elapsed)));
        QCOMPARE(result.reply->from, 0x0AC80001u); // reported by our own side
        QVERIFY(result.reply->bytesReceived > 0);
    }
}

void TestIcmp::pingDeviceRealTimeout() {
    // The one full-length case: the real 5 s receive time-out, through PingDevice.
    NetNamespace ns;
    if (!ns.ok())
        QSKIP(qPrintable(ns.why()));
    if (!ns.run({"link", "add", "qza", "type", "veth", "peer", "name", "qzb"}) ||
        !ns.run({"addr", "add", "10.200.0.1/24", "dev", "qza"}) ||
        !ns.run({"link", "set", "qza", "up"}) || !ns.run({"link", "set", "qzb", "up"}) ||
        !ns.run({"neigh", "add", "10.200.0.2", "lladdr", "02:00:00:00:00:02", "dev", "qza", "nud",
                 "permanent"}))
        QSKIP(qPrintable(ns.why()));
    PingResult result;
    qint64 elapsed = 0;
    QString why;
    bool opened = false;
    int state = -1;
    const bool entered = ns.runInside([&] {
        opened = canOpen(IcmpSocketKind::Automatic, &why);
        if (!opened)
            return;
        IcmpEchoClient Ping1;
        Ping1.OnReply = [&](const EchoReplyStatus& s) { state = PingReplyStateFor(s); };
        QElapsedTimer clock;
        clock.start();
        result = RunPingDevice(Ping1, state, QStringLiteral("10.200.0.2"), ThreadPingLoopHooks());
        elapsed = clock.elapsed();
    });
    if (!entered)
        QSKIP(qPrintable(ns.why()));
    if (!opened)
        QSKIP(qPrintable("no ICMP socket in the namespace: " + why));
    QCOMPARE(result.kind, 1);
    QCOMPARE(result.text, QStringLiteral("Device Not Found!"));
    QCOMPARE(result.detail, QStringLiteral("No echo reply within 5000 ms"));
    QCOMPARE(state, kPingNoData);
    QVERIFY2(elapsed >= 4950 && elapsed < 6500, qPrintable(QString::number(elapsed)));
}

void TestIcmp::cliPing_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("loopback answers") << QStringList{"ping", "127.0.0.1"} << 0 << "Device Found!\n"
                                      << "";
    QTest::newRow("no device address")
        << QStringList{"ping", "0.0.0.0"} << 3 << "Error!!! Check the Ip Address\n"
        << "0.0.0.0 is not the address of a single host\n";
    QTest::newRow("missing address") << QStringList{"ping"} << 2 << ""
                                     << "usage: quenzor-cli ping ADDRESS";
}

void TestIcmp::cliPing() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QString why;
    if (exitCode == 0 && !canOpen(IcmpSocketKind::Automatic, &why))
        QSKIP(qPrintable("no ICMP socket here: " + why));
    QProcess cli;
    cli.start(QStringLiteral(QUENZOR_PROGRAM_DIR "/quenzor-cli"), args);
    QVERIFY2(cli.waitForFinished(15000), qPrintable(cli.errorString()));
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    const QString stderrText = QString::fromLocal8Bit(cli.readAllStandardError());
    QCOMPARE(cli.exitCode(), exitCode);
    QCOMPARE(QString::fromLocal8Bit(cli.readAllStandardOutput()), out);
    if (err.isEmpty())
        QVERIFY2(stderrText.isEmpty(), qPrintable(stderrText));
    else
        QVERIFY2(stderrText.startsWith(err), qPrintable(stderrText));
}

QTEST_GUILESS_MAIN(TestIcmp)
#include "test_icmp.moc"
