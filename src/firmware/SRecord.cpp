#include "firmware/SRecord.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int hexByte(QByteArrayView text, qsizetype at) {
    const int hi = HexDigitValue(text[at]);
    const int lo = HexDigitValue(text[at + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

int addressBytes(char type) {
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return -1;
    }
}

} // namespace

QByteArray SRecordChecksum(QByteArray& record, bool checksumOnly) {
    const qsizetype n = record.size();
    if (n < 4)
        return {};
    unsigned sum = 0;
    for (qsizetype i = 2; i + 1 < n - 2; i += 2) {
        const int b = hexByte(record, i);
        if (b < 0)
            return {};
        sum += unsigned(b);
    }
    const unsigned checksum = ~sum & 0xFF;
    record[n - 2] = kHex[checksum >> 4];
    record[n - 1] = kHex[checksum & 0x0F];
    return checksumOnly ? record.right(2) : record;
}

void WriteBankRecord(char* out, std::uint32_t address, const std::uint8_t* data32) {
    // The sum is taken from the bytes themselves: the patcher writes 512 records per run, and
    // reading its own digits back cost more than writing them.
    const auto put = [&out](unsigned byte) {
        *out++ = kHex[(byte >> 4) & 0x0F];
        *out++ = kHex[byte & 0x0F];
    };
    *out++ = 'S';
    *out++ = '2';
    unsigned sum = 0x24;
    put(0x24);
    for (int shift = 16; shift >= 0; shift -= 8) {
        const unsigned byte = (address >> shift) & 0xFF;
        sum += byte;
        put(byte);
    }
    for (int i = 0; i < 32; ++i) {
        sum += data32[i];
        put(data32[i]);
    }
    put(~sum & 0xFF);
}

QByteArray FormatBankRecord(std::uint32_t address, const std::uint8_t* data32) {
    QByteArray record(kBankRecordChars, Qt::Uninitialized);
    WriteBankRecord(record.data(), address, data32);
    return record;
}

std::optional<SRecord> ParseSRecord(QByteArrayView line, QString* why) {
    // The reason is written only when asked for: a damaged file can fail on every line.
    const auto fail = [why](auto&& text) -> std::optional<SRecord> {
        if (why)
            *why = text();
        return std::nullopt;
    };
    if (line.size() < 4 || line[0] != 'S')
        return fail([&] { return QStringLiteral("not an S-record"); });
    SRecord rec;
    rec.type = line[1];
    const int addrLen = addressBytes(rec.type);
    if (addrLen < 0)
        return fail([&] {
            return QStringLiteral("unknown record type S%1").arg(QChar::fromLatin1(rec.type));
        });
    const int count = hexByte(line, 2);
    if (count < 0)
        return fail([&] { return QStringLiteral("byte count is not hexadecimal"); });
    if (line.size() != 4 + 2 * qsizetype(count))
        return fail([&] {
            return QStringLiteral("byte count %1 does not match the record's length").arg(count);
        });
    if (count < addrLen + 1)
        return fail(
            [&] { return QStringLiteral("byte count %1 too small for its address").arg(count); });
    unsigned sum = unsigned(count);
    std::uint32_t address = 0;
    for (int i = 0; i < count - 1; ++i) {
        const int b = hexByte(line, 4 + 2 * i);
        if (b < 0)
            return fail(
                [&] { return QStringLiteral("character %1 is not hexadecimal").arg(5 + 2 * i); });
        sum += unsigned(b);
        if (i < addrLen)
            address = (address << 8) | unsigned(b);
        else
            rec.bytes[std::size_t(rec.dataSize++)] = std::uint8_t(b);
    }
    const int written = hexByte(line, line.size() - 2);
    if (written < 0)
        return fail([&] { return QStringLiteral("checksum is not hexadecimal"); });
    rec.address = address;
    rec.checksum = std::uint8_t(written);
    rec.expectedChecksum = std::uint8_t(~sum & 0xFF);
    rec.checksumOk = rec.checksum == rec.expectedChecksum;
    return rec;
}
