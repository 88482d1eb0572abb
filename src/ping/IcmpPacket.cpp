#include "ping/IcmpPacket.h"

#include <QtEndian>

namespace {

std::uint16_t readU16(const QByteArray& bytes, int at) {
    return qFromBigEndian<std::uint16_t>(bytes.constData() + at);
}

std::uint32_t readU32(const QByteArray& bytes, int at) {
    return qFromBigEndian<std::uint32_t>(bytes.constData() + at);
}

// The request that an error message quotes: its IP header and at least the first 8 bytes of
// our echo request.
bool quotesOurRequest(const QByteArray& message, const EchoRequestKey& request) {
    const QByteArray quoted = message.mid(kIcmpHeaderSize);
    if (quoted.size() < 20)
        return false;
    const auto versionAndLength = static_cast<std::uint8_t>(quoted[0]);
    const int headerLength = (versionAndLength & 0x0F) * 4;
    if ((versionAndLength >> 4) != 4 || headerLength < 20 ||
        quoted.size() < headerLength + kIcmpHeaderSize)
        return false;
    if (static_cast<std::uint8_t>(quoted[9]) != 1 || readU32(quoted, 16) != request.destination)
        return false;
    if (static_cast<std::uint8_t>(quoted[headerLength]) != kIcmpEchoRequest)
        return false;
    if (request.matchIdentifier && readU16(quoted, headerLength + 4) != request.identifier)
        return false;
    return readU16(quoted, headerLength + 6) == request.sequence;
}

} // namespace

std::uint16_t InternetChecksum(const QByteArray& bytes) {
    std::uint32_t sum = 0;
    const int n = static_cast<int>(bytes.size());
    for (int i = 0; i + 1 < n; i += 2)
        sum += readU16(bytes, i);
    if (n % 2)
        sum += static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[n - 1])) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

QByteArray BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence,
                            const QByteArray& data) {
    QByteArray message(kIcmpHeaderSize, '\0');
    message[0] = static_cast<char>(kIcmpEchoRequest);
    qToBigEndian<std::uint16_t>(identifier, message.data() + 4);
    qToBigEndian<std::uint16_t>(sequence, message.data() + 6);
    message.append(data);
    qToBigEndian<std::uint16_t>(InternetChecksum(message), message.data() + 2);
    return message;
}

std::optional<Ipv4Icmp> SplitIpv4Packet(const QByteArray& packet) {
    if (packet.size() < 20)
        return std::nullopt;
    const auto versionAndLength = static_cast<std::uint8_t>(packet[0]);
    const int headerLength = (versionAndLength & 0x0F) * 4;
    if ((versionAndLength >> 4) != 4 || headerLength < 20 || packet.size() < headerLength)
        return std::nullopt;
    if (static_cast<std::uint8_t>(packet[9]) != 1)
        return std::nullopt;
    // The total length may be smaller than what arrived (padding), never larger.
    const int total = readU16(packet, 2);
    if (total < headerLength || total > packet.size())
        return std::nullopt;
    return Ipv4Icmp{readU32(packet, 12), readU32(packet, 16),
                    packet.mid(headerLength, total - headerLength)};
}

IcmpMatch MatchIcmpMessage(const QByteArray& message, std::uint32_t source,
                           const EchoRequestKey& request) {
    if (message.size() < kIcmpHeaderSize || InternetChecksum(message) != 0)
        return IcmpMatch::Unrelated;
    const auto type = static_cast<std::uint8_t>(message[0]);
    switch (type) {
    case kIcmpEchoReply:
        if (message[1] != 0 || source != request.destination ||
            readU16(message, 6) != request.sequence ||
            (request.matchIdentifier && readU16(message, 4) != request.identifier))
            return IcmpMatch::Unrelated;
        return message.mid(kIcmpHeaderSize) == request.data ? IcmpMatch::EchoReply
                                                            : IcmpMatch::DamagedReply;
    case kIcmpDestinationUnreachable:
        return quotesOurRequest(message, request) ? IcmpMatch::DestinationUnreachable
                                                  : IcmpMatch::Unrelated;
    case kIcmpTimeExceeded:
        return quotesOurRequest(message, request) ? IcmpMatch::TimeExceeded : IcmpMatch::Unrelated;
    default:
        return IcmpMatch::Unrelated;
    }
}
