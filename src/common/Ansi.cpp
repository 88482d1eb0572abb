#include "common/Ansi.h"

namespace {
// Unicode code points of the bytes 0x80 to 0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QByteArray ToAnsi(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.append(static_cast<char>(u));
            continue;
        }
        char byte = '?';
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] != 0 && kHigh[k] == u)
                byte = static_cast<char>(0x80 + k);
        // A surrogate pair is one character: one "?" for it, not two.
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out.append(byte);
    }
    return out;
}

QString FromAnsi(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
            out.append(QChar(kHigh[b - 0x80]));
        else
            out.append(QChar(b));
    }
    return out;
}
