#include "image/ImageDescription.h"

#include "parameters/PargenSchema.h"

#include "common/Ansi.h"
#include "common/PrintableText.h"

namespace {

QString octets(const ConfigImage& image, std::size_t offset) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(image.byte(offset))
        .arg(image.byte(offset + 1))
        .arg(image.byte(offset + 2))
        .arg(image.byte(offset + 3));
}

QString community(const ConfigImage& image, std::size_t offset) {
    QByteArray bytes;
    for (std::size_t i = 0; i + 1 < kSnmpFieldSize && image.byte(offset + i) != 0; ++i)
        bytes.append(static_cast<char>(image.byte(offset + i)));
    QString text = QLatin1Char('"') + PrintableText(FromAnsi(bytes)) + QLatin1Char('"');
    if (image.byte(offset + kSnmpFieldSize - 1) != 0)
        text += QStringLiteral(" (not terminated: byte 14 is not zero)");
    return text;
}

QString named(const QString& name, int code) {
    if (name.isEmpty())
        return QStringLiteral("unknown (code %1)").arg(code);
    return QStringLiteral("%1 (code %2)").arg(name, QString::number(code));
}

QString hex4(unsigned value) {
    return QStringLiteral("0x") +
           QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QString stamp(const ConfigImage& image) {
    const unsigned t = image.word(ImageOffset::Time);
    const unsigned d = image.word(ImageOffset::Date);
    const QString words = QStringLiteral("time word %1, date word %2").arg(hex4(t), hex4(d));
    if (t == 0 && d == 0)
        return QStringLiteral("not stamped (%1)").arg(words);
    const auto two = [](unsigned v) {
        return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    };
    // Seconds are stored halved, so an odd second reads back one less.
    return QStringLiteral("%1:%2:%3 on %4/%5/%6 (dd/mm/yy; %7)")
        .arg(two(t & 0x1F), two((t >> 5) & 0x3F), two((t >> 11) * 2), two(d >> 11),
             two((d >> 7) & 0x0F), two(d & 0x7F), words);
}

} // namespace

QString BaudRateName(int code) {
    return Pargen::BaudName(code);
}

QString ParityName(int code) {
    return Pargen::ParityName(code);
}

QString ModeName(int code) {
    return Pargen::ModeName(code);
}

QStringList DescribeImage(const ConfigImage& image) {
    QStringList lines;
    lines << QStringLiteral("IP address:      ") + octets(image, ImageOffset::Ip);
    lines << QStringLiteral("Subnet mask:     ") + octets(image, ImageOffset::Subnet);
    lines << QStringLiteral("Default gateway: ") + octets(image, ImageOffset::Gateway);
    lines << QStringLiteral("TCP port:        %1").arg(image.word(ImageOffset::Port));
    lines << QStringLiteral("SNMP public:     ") + community(image, ImageOffset::SnmpPublic);
    lines << QStringLiteral("SNMP private:    ") + community(image, ImageOffset::SnmpPrivate);
    const int baud = image.byte(ImageOffset::Baud);
    lines << QStringLiteral("Baud rate:       ") + named(BaudRateName(baud), baud);
    const int parity = image.byte(ImageOffset::Parity);
    lines << QStringLiteral("Parity:          ") + named(ParityName(parity), parity);
    lines << QStringLiteral("Time-out:        %1 ms").arg(image.word(ImageOffset::TimeOut));
    lines << QStringLiteral("Offset:          %1").arg(image.word(ImageOffset::Offset));
    const int mode = image.byte(ImageOffset::Mode);
    lines << QStringLiteral("Mode:            ") + named(ModeName(mode), mode);
    lines << QStringLiteral("Composed:        ") + stamp(image);
    int others = 0;
    for (std::size_t i = 0; i < kImageSize; ++i)
        if ((i < ImageOffset::Ip || i >= ImageOffset::End) && image.byte(i) != 0)
            ++others;
    lines << (others == 0 ? QStringLiteral("Other bytes:     all zero")
                          : QStringLiteral("Other bytes:     %1 not zero").arg(others));
    return lines;
}
