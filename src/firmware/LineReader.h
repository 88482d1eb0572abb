// Reads a text file line by line through a fixed buffer, so files of any size are processed
// in bounded memory. Lines end with LF or CR LF; the line end is not part of the line.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

class LineReader {
public:
    // Longer lines are an error rather than a reason to hold the whole file.
    static constexpr qsizetype kMaxLine = 1 << 20;

    explicit LineReader(QFile& file);

    enum class Status { Line, End, Error };
    // The view stays valid until the next call.
    Status next(QByteArrayView& line);
    QString errorString() const { return error_; }

    // Counts the lines from the file's current position to its end the same way next()
    // splits them, then goes back to the start of the file so next() reads it afresh.
    // -1 on a read error. The one buffer serves both passes.
    qint64 countLines();

private:
    bool fill();
    Status tooLong();

    QFile& file_;
    qsizetype chunk_; // bytes asked of each read
    QByteArray buffer_;
    qsizetype start_ = 0; // first unread byte
    qsizetype end_ = 0;   // one past the last byte read
    bool eof_ = false;
    QString error_;
};
