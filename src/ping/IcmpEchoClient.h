// The ICMP echo client of the main window: one echo request to a host given as text, and a
// blocking wait for the answer that belongs to it.
#pragma once

#include "ping/IcmpSocket.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct HostLookup {
    std::optional<std::uint32_t> address; // IPv4, host order
    QString error;
};
using HostResolver = std::function<HostLookup(const QString& host)>;
using IcmpSocketOpener = std::function<IcmpSocketOpen(IcmpSocketKind)>;

// A dotted IPv4 address or a host name, resolved by the system to IPv4.
HostLookup ResolveIpv4Host(const QString& host);
// "192.168.0.10" for an IPv4 address in host order.
QString DottedIpv4(std::uint32_t address);

// How a wait for the answer ended.
struct EchoReplyStatus {
    enum class Kind { EchoReply, DestinationUnreachable, TimeExceeded, TimedOut };
    Kind kind = Kind::TimedOut;
    int bytesReceived = 0; // size of the ICMP message that ended the wait; 0 on time-out
    std::uint16_t sequence = 0;
    std::uint32_t from = 0; // who answered, host order
};

struct EchoResult {
    // Set when a request went out and the wait ended, with an answer or without.
    std::optional<EchoReplyStatus> reply;
    // Otherwise why not: the name, the socket, the send, the receive, or a damaged reply.
    QString error;
};

class IcmpEchoClient {
public:
    IcmpEchoClient();

    QString Host;
    int ReceiveTimeout = 5000;           // ms
    std::uint16_t SequenceNumber = 3489; // of the next request; one up after each request
    std::uint16_t Identifier;            // raw sockets only; datagram sockets choose their own
    IcmpSocketKind SocketKind = IcmpSocketKind::Automatic;
    HostResolver Resolver;
    IcmpSocketOpener OpenSocket;
    // The reply report: called when the wait ends, before Ping returns; not on failures.
    std::function<void(const EchoReplyStatus&)> OnReply;

    // Sends one echo request with `data` to Host and waits up to ReceiveTimeout for its answer.
    EchoResult Ping(const QByteArray& data);
};
