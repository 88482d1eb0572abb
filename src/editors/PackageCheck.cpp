#include "editors/PackageCheck.h"

#include <QtEndian>

namespace {

quint32 u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

bool fits(const QByteArray& b, qint64 at, qint64 length) {
    return at >= 0 && length >= 0 && at + length <= b.size();
}

// Whether `packed` bytes can unpack to `unpacked`: stored entries are their own size, and
// deflate expands at most 1032 to 1. Orcus allocates the claimed size before it unpacks, so a
// few bytes claiming 64 MiB would be read as 64 MiB of zeros.
bool unpackable(quint16 method, quint32 packed, quint32 unpacked) {
    constexpr quint16 kStored = 0;
    constexpr quint16 kDeflated = 8;
    if (method == kStored)
        return unpacked == packed;
    return method == kDeflated && unpacked <= (quint64(packed) + 1) * 1032;
}

} // namespace

bool PackageSizesWithin(const QByteArray& bytes, quint32 limit) {
    // The end record lies in the last 22 bytes plus a comment of up to 65535.
    constexpr qsizetype kEndSize = 22;
    qsizetype end = -1;
    for (qsizetype at = bytes.size() - kEndSize; at >= 0 && at >= bytes.size() - kEndSize - 0xFFFF;
         --at)
        if (u32(bytes, at) == 0x06054b50) {
            end = at;
            break;
        }
    if (end < 0)
        return false;
    // One disk, and both entry counts the same: readers differ in which count they trust, so
    // a directory they would walk differently is refused rather than walked one way here.
    if (u16(bytes, end + 4) != 0 || u16(bytes, end + 6) != 0 ||
        u16(bytes, end + 8) != u16(bytes, end + 10))
        return false;
    const quint16 entries = u16(bytes, end + 10);
    if (entries == 0) // no package, and a directory to walk no further
        return false;
    const qint64 directoryEnd = qint64(u32(bytes, end + 16)) + u32(bytes, end + 12);
    if (directoryEnd > end)
        return false;
    qint64 at = u32(bytes, end + 16);
    for (quint16 i = 0; i < entries; ++i) {
        constexpr qint64 kCentralSize = 46;
        if (!fits(bytes, at, kCentralSize) || u32(bytes, at) != 0x02014b50)
            return false;
        // What an entry claims packed must lie in the file, what it claims unpacked within
        // the limit.
        const qint64 local = u32(bytes, at + 42);
        if (u32(bytes, at + 20) > bytes.size() || u32(bytes, at + 24) > limit ||
            !unpackable(u16(bytes, at + 10), u32(bytes, at + 20), u32(bytes, at + 24)))
            return false;
        constexpr qint64 kLocalSize = 30;
        if (!fits(bytes, local, kLocalSize) || u32(bytes, local) != 0x04034b50 ||
            u32(bytes, local + 18) > bytes.size() || u32(bytes, local + 22) > limit ||
            !unpackable(u16(bytes, local + 8), u32(bytes, local + 18), u32(bytes, local + 22)))
            return false;
        at += kCentralSize + u16(bytes, at + 28) + u16(bytes, at + 30) + u16(bytes, at + 32);
        if (at > directoryEnd)
            return false;
    }
    // Orcus walks the directory by its signatures, not by the count: a record past the
    // declared end would be read unchecked.
    const bool anotherRecord = fits(bytes, at, 4) && u32(bytes, at) == 0x02014b50;
    return at == directoryEnd && !anotherRecord;
}
