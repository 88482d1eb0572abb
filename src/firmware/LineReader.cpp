#include "firmware/LineReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace {
// Small enough to stay in the cache; a read per chunk costs little.
constexpr qsizetype kChunk = 1 << 18;
} // namespace

// A small file is read in one piece of its own size: the full chunk would be allocated and
// touched for nothing.
LineReader::LineReader(QFile& file)
    : file_(file), chunk_(std::clamp<qint64>(file.size() + 1, 4096, kChunk)),
      buffer_(chunk_ * 2, Qt::Uninitialized) {}

bool LineReader::fill() {
    // Move the unread tail to the front, then read behind it.
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.constData() + start_, size_t(end_ - start_));
        end_ -= start_;
        start_ = 0;
    }
    if (buffer_.size() - end_ < chunk_)
        buffer_.resize(end_ + chunk_);
    const qint64 got = file_.read(buffer_.data() + end_, chunk_);
    if (got < 0) {
        error_ = file_.errorString();
        return false;
    }
    if (got == 0)
        eof_ = true;
    end_ += got;
    return true;
}

LineReader::Status LineReader::tooLong() {
    error_ = QStringLiteral("line longer than %1 bytes").arg(kMaxLine);
    return Status::Error;
}

LineReader::Status LineReader::next(QByteArrayView& line) {
    qsizetype searchFrom = start_;
    for (;;) {
        const char* base = buffer_.constData();
        const void* nl = std::memchr(base + searchFrom, '\n', size_t(end_ - searchFrom));
        if (nl) {
            const qsizetype at = static_cast<const char*>(nl) - base;
            qsizetype len = at - start_;
            if (len > kMaxLine)
                return tooLong();
            if (len > 0 && base[start_ + len - 1] == '\r')
                --len;
            line = QByteArrayView(base + start_, len);
            start_ = at + 1;
            return Status::Line;
        }
        if (eof_) {
            if (start_ == end_)
                return Status::End;
            // A last line without a line end.
            qsizetype len = end_ - start_;
            if (len > kMaxLine)
                return tooLong();
            if (base[start_ + len - 1] == '\r')
                --len;
            line = QByteArrayView(base + start_, len);
            start_ = end_;
            return Status::Line;
        }
        if (end_ - start_ > kMaxLine)
            return tooLong();
        const qsizetype scanned = end_ - start_;
        if (!fill())
            return Status::Error;
        searchFrom = start_ + scanned;
    }
}

namespace {

// Line ends in a block. The portable form takes eight bytes at a time: a byte equal to LF
// becomes zero after the XOR, and the exact zero-byte test marks it in its top bit.
qint64 countLineEndsByWords(const char* p, qsizetype n) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    qint64 count = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        const std::uint64_t x = word ^ (kOnes * '\n');
        const std::uint64_t zeros = ~(((x & kLow7) + kLow7) | x | kLow7) >> 7;
        count += qint64((zeros * kOnes) >> 56); // adds the eight 0-or-1 bytes
    }
    for (; i < n; ++i)
        count += p[i] == '\n';
    return count;
}

#if defined(__SSE2__) && defined(__x86_64__)
// Sixteen bytes at a time: each compare adds one (minus minus one) to the byte lanes that
// hold LF; the lanes are summed before any of them can pass 255.
qint64 countLineEnds(const char* p, qsizetype n) {
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    qint64 count = 0;
    qsizetype i = 0;
    while (i + 16 <= n) {
        const qsizetype blocks = std::min<qsizetype>((n - i) / 16, 255);
        __m128i lanes = zero;
        for (qsizetype b = 0; b < blocks; ++b, i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lf));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
    return count + countLineEndsByWords(p + i, n - i);
}
#else
qint64 countLineEnds(const char* p, qsizetype n) {
    return countLineEndsByWords(p, n);
}
#endif

} // namespace

qint64 LineReader::countLines() {
    qint64 lines = 0;
    char last = '\n';
    for (;;) {
        const qint64 got = file_.read(buffer_.data(), chunk_);
        if (got < 0) {
            error_ = file_.errorString();
            return -1;
        }
        if (got == 0)
            break;
        lines += countLineEnds(buffer_.constData(), got);
        last = buffer_[got - 1];
    }
    start_ = end_ = 0;
    eof_ = false;
    if (!file_.seek(0)) {
        error_ = file_.errorString();
        return -1;
    }
    return last == '\n' ? lines : lines + 1;
}
