// Motorola S-record text: the checksum rule, the 24-bit data records the patcher writes, and
// a strict reader that checks every record of a firmware file.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Sums the hex byte pairs from the third character up to the last two (count, address and
// data), writes the ones' complement of the low byte, as two upper-case digits, over the last
// two characters, and returns those digits (`checksumOnly`) or the whole record. A record
// shorter than four characters or with a non-hexadecimal pair is left alone and yields an
// empty result.
QByteArray SRecordChecksum(QByteArray& record, bool checksumOnly);

// "S2" "24", the six-digit address, the 32 bytes and their checksum: 76 characters.
constexpr int kBankRecordChars = 76;
QByteArray FormatBankRecord(std::uint32_t address, const std::uint8_t* data32);
// The same record written at `out`, which has room for kBankRecordChars characters.
void WriteBankRecord(char* out, std::uint32_t address, const std::uint8_t* data32);

// Value of the hex digit, or -1.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

struct SRecord {
    // A count byte of 255 less two address bytes and the checksum: no record carries more.
    static constexpr int kMaxData = 252;
    char type = 0; // '0' to '9'
    std::uint32_t address = 0;
    // Held in place: a firmware has tens of thousands of records, one allocation each adds up.
    std::array<std::uint8_t, kMaxData> bytes{};
    int dataSize = 0;
    QByteArrayView data() const { return {bytes.data(), dataSize}; }
    bool checksumOk = false;
    std::uint8_t checksum = 0;         // as written
    std::uint8_t expectedChecksum = 0; // as computed
    bool isData() const { return type == '1' || type == '2' || type == '3'; }
};

// Parses one line (without its line end). nullopt with `why` set when it is not a
// well-formed record; a wrong checksum still parses, with checksumOk false.
std::optional<SRecord> ParseSRecord(QByteArrayView line, QString* why);
