// The system's ICMP socket: an unprivileged datagram socket where the system allows it, a raw
// socket otherwise. Both deliver ICMP messages in the same form, so callers see no difference.
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

enum class IcmpSocketKind { Automatic, Datagram, Raw };

struct IcmpReceived {
    enum class Status { Message, TimedOut, Failed };
    Status status = Status::TimedOut;
    QByteArray message;       // from the ICMP header on; may be someone else's traffic
    std::uint32_t source = 0; // host order
    QString error;
};

class IcmpTransport {
public:
    virtual ~IcmpTransport() = default;
    // True when the system replaces the identifier of outgoing echo requests.
    virtual bool rewritesIdentifier() const = 0;
    // Fails with the reason when the message did not go out whole.
    virtual Result<> send(std::uint32_t destination, const QByteArray& message) = 0;
    // Waits at most `timeoutMs` for the next ICMP message. An error message about something
    // we sent arrives like a received packet, whatever the kind of socket.
    virtual IcmpReceived receive(int timeoutMs) = 0;
};

struct IcmpSocketOpen {
    std::unique_ptr<IcmpTransport> transport;
    QString error; // set when no socket could be opened
};

// Automatic tries the datagram socket first and falls back to a raw one.
IcmpSocketOpen OpenIcmpSocket(IcmpSocketKind kind);
