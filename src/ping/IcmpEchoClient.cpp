#include "ping/IcmpEchoClient.h"

#include "ping/IcmpPacket.h"

#include <QDeadlineTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Addresses that do not name one host: "this network" (0.0.0.0 reaches the local machine on
// some systems), multicast and the limited broadcast.
bool namesOneHost(std::uint32_t address) {
    const std::uint32_t first = address >> 24;
    return first != 0 && (first & 0xF0) != 0xE0 && address != 0xFFFFFFFFu;
}

} // namespace

QString DottedIpv4(std::uint32_t address) {
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return QString::fromLatin1(text);
}

HostLookup ResolveIpv4Host(const QString& host) {
    HostLookup result;
    if (host.isEmpty()) {
        result.error = QStringLiteral("No address given");
        return result;
    }
    // Names go to the resolver in their ASCII form; text that cannot be a name never does.
    const QByteArray ace = host.contains(QChar(0)) ? QByteArray() : QUrl::toAce(host);
    if (ace.isEmpty()) {
        result.error = QStringLiteral("'%1' is not an address or host name").arg(host);
        return result;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(ace.constData(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        result.error = QStringLiteral("Cannot resolve '%1': %2")
                           .arg(host, QString::fromLocal8Bit(::gai_strerror(rc)));
        if (found)
            ::freeaddrinfo(found);
        return result;
    }
    for (const addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in)) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
            result.address = ntohl(in->sin_addr.s_addr);
            break;
        }
    }
    ::freeaddrinfo(found);
    if (!result.address)
        result.error = QStringLiteral("'%1' has no IPv4 address").arg(host);
    return result;
}

IcmpEchoClient::IcmpEchoClient()
    : Identifier(static_cast<std::uint16_t>(::getpid())), Resolver(ResolveIpv4Host),
      OpenSocket(OpenIcmpSocket) {}

EchoResult IcmpEchoClient::Ping(const QByteArray& data) {
    EchoResult result;
    const HostLookup lookup =
        Resolver ? Resolver(Host) : HostLookup{{}, QStringLiteral("No resolver")};
    if (!lookup.address) {
        result.error = lookup.error;
        return result;
    }
    const std::uint32_t destination = *lookup.address;
    if (!namesOneHost(destination)) {
        result.error =
            QStringLiteral("%1 is not the address of a single host").arg(DottedIpv4(destination));
        return result;
    }
    IcmpSocketOpen opened = OpenSocket ? OpenSocket(SocketKind) : IcmpSocketOpen{};
    if (!opened.transport) {
        result.error = opened.error.isEmpty() ? QStringLiteral("No ICMP socket") : opened.error;
        return result;
    }
    IcmpTransport& socket = *opened.transport;

    EchoRequestKey key;
    key.destination = destination;
    key.identifier = Identifier;
    key.sequence = SequenceNumber++;
    key.matchIdentifier = !socket.rewritesIdentifier();
    key.data = data;
    if (Result<> sent =
            socket.send(destination, BuildEchoRequest(key.identifier, key.sequence, data));
        !sent) {
        result.error = sent.error();
        return result;
    }

    EchoReplyStatus status;
    status.sequence = key.sequence;
    const QDeadlineTimer deadline(qMax(0, ReceiveTimeout));
    for (;;) {
        const IcmpReceived got = socket.receive(static_cast<int>(deadline.remainingTime()));
        if (got.status == IcmpReceived::Status::Failed) {
            result.error = got.error;
            return result;
        }
        if (got.status == IcmpReceived::Status::TimedOut)
            break;
        const IcmpMatch match = MatchIcmpMessage(got.message, got.source, key);
        if (match == IcmpMatch::DamagedReply) {
            result.error = QStringLiteral("The reply from %1 does not carry the data that was sent")
                               .arg(DottedIpv4(got.source));
            return result;
        }
        if (match != IcmpMatch::Unrelated) {
            status.kind = match == IcmpMatch::EchoReply ? EchoReplyStatus::Kind::EchoReply
                          : match == IcmpMatch::TimeExceeded
                              ? EchoReplyStatus::Kind::TimeExceeded
                              : EchoReplyStatus::Kind::DestinationUnreachable;
            status.bytesReceived = static_cast<int>(got.message.size());
            status.from = got.source;
            break;
        }
        if (deadline.hasExpired())
            break;
    }
    result.reply = status;
    if (OnReply)
        OnReply(status);
    return result;
}
