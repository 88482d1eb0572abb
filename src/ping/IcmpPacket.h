// ICMP echo messages (RFC 792): building our request and telling its answer apart from the
// other ICMP traffic a socket may see.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

inline constexpr std::uint8_t kIcmpEchoReply = 0;
inline constexpr std::uint8_t kIcmpDestinationUnreachable = 3;
inline constexpr std::uint8_t kIcmpEchoRequest = 8;
inline constexpr std::uint8_t kIcmpTimeExceeded = 11;
inline constexpr int kIcmpHeaderSize = 8;

// The 16-bit one's complement sum of RFC 1071; 0 over a message whose checksum is right.
std::uint16_t InternetChecksum(const QByteArray& bytes);

// Type 8 message with the checksum filled in.
QByteArray BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                            const QByteArray& data);

// An IPv4 datagram carrying ICMP, as a raw socket delivers it. Addresses in host order.
struct Ipv4Icmp {
    std::uint32_t source = 0;
    std::uint32_t destination = 0;
    QByteArray message; // from the ICMP header on
};
// nullopt for anything that is not a complete IPv4 datagram of protocol ICMP.
std::optional<Ipv4Icmp> SplitIpv4Packet(const QByteArray& packet);

// What identifies the request we sent.
struct EchoRequestKey {
    std::uint32_t destination = 0; // host order
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
    // Datagram sockets replace the identifier; they deliver only our own replies anyway.
    bool matchIdentifier = true;
    QByteArray data;
};

enum class IcmpMatch {
    Unrelated,              // someone else's traffic, our own request seen on loopback, or damaged
    EchoReply,              // our reply, data intact
    DestinationUnreachable, // an error message about our request
    TimeExceeded,
    DamagedReply, // our reply by its numbers, but its data differ from what we sent
};

// Classifies one received ICMP message (from the ICMP header on) that came from `source`.
IcmpMatch MatchIcmpMessage(const QByteArray& message, std::uint32_t source,
                           const EchoRequestKey& request);
