// A zip package's declared sizes, checked before Orcus unpacks it: Orcus allocates whatever
// size an entry claims, so a damaged header of a few bytes could ask for gigabytes.
#pragma once

#include <QByteArray>

// Far more than any part of a table's workbook.
inline constexpr quint32 kMaxPackagePartSize = 64u << 20;

// True when `bytes` is a zip archive on one disk whose central directory, its two entry counts
// equal, walks to exactly its declared size, and whose entries
// all claim, in the directory and in their local headers, no more packed bytes than the file
// holds, at most `limit` bytes unpacked, and no more unpacked than their packed bytes can give.
bool PackageSizesWithin(const QByteArray& bytes, quint32 limit = kMaxPackagePartSize);
