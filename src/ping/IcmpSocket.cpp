#include "ping/IcmpSocket.h"

#include "ping/IcmpPacket.h"

#include <QDeadlineTimer>
#include <QtEndian>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

QString dotted(std::uint32_t address) {
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return QString::fromLatin1(text);
}

IcmpReceived failed(const QString& why) {
    IcmpReceived r;
    r.status = IcmpReceived::Status::Failed;
    r.error = why;
    return r;
}

// A minimal IPv4 header, as an ICMP error quotes it, naming the original destination.
QByteArray quotedIpHeader(std::uint32_t destination) {
    QByteArray header(20, '\0');
    header[0] = 0x45;
    header[8] = 64;
    header[9] = 1;
    qToBigEndian<std::uint32_t>(destination, header.data() + 16);
    return header;
}

class IcmpSocket final : public IcmpTransport {
public:
    IcmpSocket(int fd, bool datagram) : fd_(fd), datagram_(datagram) {}
    ~IcmpSocket() override { ::close(fd_); }
    IcmpSocket(const IcmpSocket&) = delete;
    IcmpSocket& operator=(const IcmpSocket&) = delete;

    bool rewritesIdentifier() const override { return datagram_; }

    Result<> send(std::uint32_t destination, const QByteArray& message) override {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(destination);
        ssize_t n;
        do {
            n = ::sendto(fd_, message.constData(), static_cast<size_t>(message.size()), 0,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to);
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            return Fail(QStringLiteral("Cannot send the echo request to %1: %2")
                            .arg(dotted(destination), systemError(errno)));
        if (n != message.size())
            return Fail(
                QStringLiteral("The echo request to %1 was cut short").arg(dotted(destination)));
        return Ok();
    }

    IcmpReceived receive(int timeoutMs) override {
        QDeadlineTimer deadline(qMax(0, timeoutMs));
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(deadline.remainingTime()));
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                return failed(
                    QStringLiteral("Waiting for the reply failed: %1").arg(systemError(errno)));
            }
            if (ready == 0)
                return {};
            if (p.revents & POLLERR) {
                if (auto r = readErrorQueue())
                    return *r;
                continue;
            }
            if (p.revents & POLLIN) {
                if (auto r = readMessage())
                    return *r;
                continue;
            }
            if (p.revents & (POLLHUP | POLLNVAL))
                return failed(QStringLiteral("The ICMP socket was closed"));
        }
    }

private:
    // nullopt when there was nothing to read after all.
    std::optional<IcmpReceived> readMessage() {
        QByteArray buffer(65536, '\0');
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(fd_, buffer.data(), static_cast<size_t>(buffer.size()),
                                     MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                return std::nullopt;
            // A datagram socket reports an ICMP error here too; its details wait in the queue.
            if (datagram_)
                if (auto r = readErrorQueue())
                    return r;
            return failed(QStringLiteral("Receiving the reply failed: %1").arg(systemError(errno)));
        }
        buffer.truncate(static_cast<int>(n));
        IcmpReceived r;
        r.status = IcmpReceived::Status::Message;
        if (datagram_) {
            r.message = buffer;
            r.source = ntohl(from.sin_addr.s_addr);
        } else if (const auto ip = SplitIpv4Packet(buffer)) {
            r.message = ip->message;
            r.source = ip->source;
        }
        return r;
    }

    // The error queue of a datagram socket holds the ICMP errors about what we sent. They are
    // turned back into the message a raw socket would have received.
    std::optional<IcmpReceived> readErrorQueue() {
        char payload[2048];
        char control[512];
        sockaddr_in original{};
        iovec iov{payload, sizeof payload};
        msghdr msg{};
        msg.msg_name = &original;
        msg.msg_namelen = sizeof original;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd_, &msg, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return failed(
                    QStringLiteral("Receiving the reply failed: %1").arg(systemError(errno)));
            int pending = 0;
            socklen_t length = sizeof pending;
            if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &pending, &length) == 0 && pending != 0)
                return failed(
                    QStringLiteral("Receiving the reply failed: %1").arg(systemError(pending)));
            return std::nullopt;
        }
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR)
                continue;
            sock_extended_err ee{};
            std::memcpy(&ee, CMSG_DATA(c), sizeof ee);
            if (ee.ee_origin != SO_EE_ORIGIN_ICMP)
                return failed(QStringLiteral("Sending the echo request failed: %1")
                                  .arg(systemError(static_cast<int>(ee.ee_errno))));
            sockaddr_in offender{};
            if (c->cmsg_len >= CMSG_LEN(sizeof ee + sizeof offender))
                std::memcpy(&offender, CMSG_DATA(c) + sizeof ee, sizeof offender);
            QByteArray message(kIcmpHeaderSize, '\0');
            message[0] = static_cast<char>(ee.ee_type);
            message[1] = static_cast<char>(ee.ee_code);
            message.append(quotedIpHeader(ntohl(original.sin_addr.s_addr)));
            message.append(payload, static_cast<int>(n));
            qToBigEndian<std::uint16_t>(InternetChecksum(message), message.data() + 2);
            IcmpReceived r;
            r.status = IcmpReceived::Status::Message;
            r.message = message;
            r.source = offender.sin_family == AF_INET ? ntohl(offender.sin_addr.s_addr) : 0;
            return r;
        }
        return std::nullopt;
    }

    int fd_;
    bool datagram_;
};

} // namespace

IcmpSocketOpen OpenIcmpSocket(IcmpSocketKind kind) {
    IcmpSocketOpen result;
    QString datagramError;
    if (kind != IcmpSocketKind::Raw) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            const int on = 1;
            if (::setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on) == 0) {
                result.transport = std::make_unique<IcmpSocket>(fd, true);
                return result;
            }
            datagramError = systemError(errno);
            ::close(fd);
        } else {
            datagramError = systemError(errno);
        }
        if (kind == IcmpSocketKind::Datagram) {
            result.error = QStringLiteral("No ICMP datagram socket: %1 (net.ipv4.ping_group_range)")
                               .arg(datagramError);
            return result;
        }
    }
    const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        const QString rawError = systemError(errno);
        result.error = datagramError.isEmpty()
                           ? QStringLiteral("No raw ICMP socket: %1").arg(rawError)
                           : QStringLiteral("No ICMP socket: datagram: %1 "
                                            "(net.ipv4.ping_group_range); raw: %2")
                                 .arg(datagramError, rawError);
        return result;
    }
    // Only the answers we can use; saves waking up for every echo request on loopback.
    icmp_filter filter{};
    filter.data =
        ~((1U << kIcmpEchoReply) | (1U << kIcmpDestinationUnreachable) | (1U << kIcmpTimeExceeded));
    ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    result.transport = std::make_unique<IcmpSocket>(fd, false);
    return result;
}
