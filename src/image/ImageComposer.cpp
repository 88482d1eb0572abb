#include "image/ImageComposer.h"

#include "common/Ansi.h"
#include "common/FileIO.h"
#include "common/IntegerText.h"
#include "parameters/PargenSchema.h"
#include "project/XmlDocument.h"

#include <QDir>
#include <QDomDocument>

namespace {

enum class FieldKind { Byte, Word, Snmp };

struct Field {
    Pargen::Element element;
    std::size_t offset;
    FieldKind kind;
};

// In the order the fields are read: a failure leaves every later field zero.
constexpr Field kFields[] = {
    {Pargen::Element::Ip1, ImageOffset::Ip + 0, FieldKind::Byte},
    {Pargen::Element::Ip2, ImageOffset::Ip + 1, FieldKind::Byte},
    {Pargen::Element::Ip3, ImageOffset::Ip + 2, FieldKind::Byte},
    {Pargen::Element::Ip4, ImageOffset::Ip + 3, FieldKind::Byte},
    {Pargen::Element::Sub1, ImageOffset::Subnet + 0, FieldKind::Byte},
    {Pargen::Element::Sub2, ImageOffset::Subnet + 1, FieldKind::Byte},
    {Pargen::Element::Sub3, ImageOffset::Subnet + 2, FieldKind::Byte},
    {Pargen::Element::Sub4, ImageOffset::Subnet + 3, FieldKind::Byte},
    {Pargen::Element::Gat1, ImageOffset::Gateway + 0, FieldKind::Byte},
    {Pargen::Element::Gat2, ImageOffset::Gateway + 1, FieldKind::Byte},
    {Pargen::Element::Gat3, ImageOffset::Gateway + 2, FieldKind::Byte},
    {Pargen::Element::Gat4, ImageOffset::Gateway + 3, FieldKind::Byte},
    {Pargen::Element::Port, ImageOffset::Port, FieldKind::Word},
    {Pargen::Element::SnmpPublic, ImageOffset::SnmpPublic, FieldKind::Snmp},
    {Pargen::Element::SnmpPrivate, ImageOffset::SnmpPrivate, FieldKind::Snmp},
    {Pargen::Element::Baud, ImageOffset::Baud, FieldKind::Byte},
    {Pargen::Element::Parity, ImageOffset::Parity, FieldKind::Byte},
    {Pargen::Element::TimeOut, ImageOffset::TimeOut, FieldKind::Word},
    {Pargen::Element::Offset, ImageOffset::Offset, FieldKind::Word},
    {Pargen::Element::Mode, ImageOffset::Mode, FieldKind::Byte},
};
static_assert(std::size(kFields) == Pargen::kElementCount);

const QString kNotComposed = QStringLiteral("Configuration image not composed. ");

Failure failed(const QString& text) {
    return Fail(kNotComposed + text);
}

Failure elementFailed(const QString& path, const QString& element, const QString& why) {
    return failed(QStringLiteral("File \"%1\", element \"%2\": %3")
                      .arg(QDir::toNativeSeparators(path), element, why));
}

} // namespace

CompositionStamp CompositionTime() {
    if (!qEnvironmentVariableIsSet("SOURCE_DATE_EPOCH"))
        return QDateTime::currentDateTime();
    // Seconds since the epoch in decimal, the reproducible-builds convention; 64 bits so
    // that instants after 2038 are read too.
    const QString text = qEnvironmentVariable("SOURCE_DATE_EPOCH");
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok);
    if (!ok || text.isEmpty() || !text.front().isDigit())
        return Fail(QStringLiteral("SOURCE_DATE_EPOCH: ") + InvalidIntegerMessage(text));
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
}

std::uint16_t PackTime(const QTime& time) {
    return static_cast<std::uint16_t>((time.second() / 2) * 2048 + time.minute() * 32 +
                                      time.hour());
}

std::uint16_t PackDate(const QDate& date) {
    // A year before 0 would give a negative remainder; the device cannot hold one anyway.
    const int year = ((date.year() % 100) + 100) % 100;
    return static_cast<std::uint16_t>(date.day() * 2048 + date.month() * 128 + year);
}

SnmpField FillSnmpName(QStringView text) {
    SnmpField field{};
    const QByteArray ansi = ToAnsi(text);
    for (qsizetype i = 0; i < ansi.size() && i < qsizetype(kSnmpFieldSize) - 1; ++i)
        field[std::size_t(i)] = static_cast<std::uint8_t>(ansi[i]);
    return field;
}

Result<> ComposeImage(ConfigImage& image, const QString& pargenPath,
                      const CompositionClock& clock) {
    image.clear();

    const Result<QByteArray> source = ReadRegularFile(pargenPath);
    if (!source)
        return failed(source.error());
    QDomDocument doc;
    if (Result<> loaded = LoadXmlText(doc, *source); !loaded)
        return failed(QStringLiteral("File \"%1\" is not well-formed XML: %2")
                          .arg(QDir::toNativeSeparators(pargenPath), loaded.error()));

    const QString& topName = Pargen::kRoot;
    const QDomElement top = TopLevelElement(doc, topName);
    if (top.isNull())
        return elementFailed(pargenPath, topName, QStringLiteral("not found"));

    for (const Field& f : kFields) {
        const QString name = Pargen::ElementName(f.element);
        const QDomElement element = ChildElement(top, name);
        if (element.isNull())
            return elementFailed(pargenPath, name, QStringLiteral("not found"));
        const QString text = Pargen::ElementValue(element, f.element, *source);
        if (f.kind == FieldKind::Snmp) {
            image.setField(f.offset, FillSnmpName(text));
            continue;
        }
        const std::optional<std::int32_t> value = ParseIntegerText(text);
        if (!value)
            return elementFailed(pargenPath, name, InvalidIntegerMessage(text));
        const auto bits = static_cast<std::uint32_t>(*value);
        if (f.kind == FieldKind::Byte)
            image.setByte(f.offset, static_cast<std::uint8_t>(bits & 0xFF));
        else
            image.setWord(f.offset, static_cast<std::uint16_t>(bits & 0xFFFF));
    }

    // One reading of the clock for both words, so that a composition at midnight cannot
    // pair the old day's time with the new day's date.
    const CompositionStamp stamp = clock();
    if (!stamp)
        return failed(stamp.error());
    image.setWord(ImageOffset::Time, PackTime(stamp->time()));
    image.setWord(ImageOffset::Date, PackDate(stamp->date()));
    return Ok();
}
