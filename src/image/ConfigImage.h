// The gateway's bank-1 configuration block: exactly 16384 bytes in the layout the device
// firmware reads, with the offsets of every parameter field.
#pragma once

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kImageSize = 16384;

// Offsets of the parameter block; every other byte of the image is zero.
namespace ImageOffset {
inline constexpr std::size_t Ip = 15000;      // 4 octets, most significant first
inline constexpr std::size_t Subnet = 15004;  // 4 octets
inline constexpr std::size_t Gateway = 15008; // 4 octets
inline constexpr std::size_t Port = 15012;    // 2 bytes, little-endian
inline constexpr std::size_t SnmpPublic = 15014;
inline constexpr std::size_t SnmpPrivate = 15028;
inline constexpr std::size_t Baud = 15042;
inline constexpr std::size_t Parity = 15043;
inline constexpr std::size_t TimeOut = 15044; // 2 bytes
inline constexpr std::size_t Offset = 15046;  // 2 bytes
inline constexpr std::size_t Mode = 15048;
inline constexpr std::size_t Time = 15049; // packed time word, at an odd offset
inline constexpr std::size_t Date = 15051; // packed date word
inline constexpr std::size_t End = 15053;  // one past the last parameter byte
} // namespace ImageOffset

// A community-name field: 13 characters at most, the 14th byte always zero.
inline constexpr std::size_t kSnmpFieldSize = 14;
using SnmpField = std::array<std::uint8_t, kSnmpFieldSize>;

class ConfigImage {
public:
    ConfigImage() { clear(); }

    void clear() { bytes_.fill(0); }

    std::uint8_t byte(std::size_t offset) const { return bytes_.at(offset); }
    void setByte(std::size_t offset, std::uint8_t value) { bytes_.at(offset) = value; }
    // Little-endian, as the device reads its words.
    std::uint16_t word(std::size_t offset) const;
    void setWord(std::size_t offset, std::uint16_t value);
    void setField(std::size_t offset, const SnmpField& field);

    const std::uint8_t* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return kImageSize; }
    QByteArray toByteArray() const;
    // False (and `image` unchanged) unless `bytes` holds exactly 16384 bytes.
    static bool fromByteArray(const QByteArray& bytes, ConfigImage& image);

    friend bool operator==(const ConfigImage&, const ConfigImage&) = default;

private:
    std::array<std::uint8_t, kImageSize> bytes_;
};
