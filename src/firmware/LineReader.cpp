#include "firmware/LineReader.h"

#include <cstring>

namespace {
constexpr qsizetype kChunk = 1 << 20;
}

LineReader::LineReader(QFile& file) : file_(file), buffer_(kChunk * 2, Qt::Uninitialized) {}

bool LineReader::fill() {
    // Move the unread tail to the front, then read behind it.
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.constData() + start_, size_t(end_ - start_));
        end_ -= start_;
        start_ = 0;
    }
    if (buffer_.size() - end_ < kChunk)
        buffer_.resize(end_ + kChunk);
    const qint64 got = file_.read(buffer_.data() + end_, kChunk);
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

qint64 LineReader::countLines(QFile& file) {
    QByteArray chunk(kChunk, Qt::Uninitialized);
    qint64 lines = 0;
    char last = '\n';
    for (;;) {
        const qint64 got = file.read(chunk.data(), kChunk);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        const char* p = chunk.constData();
        const char* end = p + got;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))))) {
            ++lines;
            ++p;
        }
        last = chunk[got - 1];
    }
    return last == '\n' ? lines : lines + 1;
}
