// The integer text rule against a plain reference written from its description.
#include "FuzzSupport.h"

#include "common/IntegerText.h"

#include <QRegularExpression>

namespace {

// Spaces, an optional sign, a hexadecimal prefix or none, digits, nothing after.
std::optional<std::int32_t> reference(const QString& text) {
    static const QRegularExpression shape(
        QStringLiteral("\\A *([+-]?)(\\$|0[xX]|[xX])?([0-9A-Fa-f]+)\\z"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const bool negative = m.captured(1) == QLatin1String("-");
    const bool hex = !m.captured(2).isEmpty();
    QString digits = m.captured(3);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (hex) {
        if (digits.size() > 8)
            return std::nullopt;
        std::uint32_t bits = digits.toUInt(nullptr, 16);
        if (negative)
            bits = ~bits + 1;
        return std::int32_t(bits);
    }
    for (QChar c : digits)
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
    if (digits.size() > 10)
        return std::nullopt;
    const qint64 magnitude = digits.toLongLong();
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return std::int32_t(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64)
        return 0;
    // Latin-1 keeps every byte a character, so non-ASCII digits and blanks are reached too.
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto got = ParseIntegerText(text);
    const auto want = reference(text);
    fuzz::check(got == want, "ParseIntegerText differs from the reference");
    const QString wide = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzz::check(ParseIntegerText(wide) == reference(wide), "differs on UTF-8 text");
    return 0;
}
