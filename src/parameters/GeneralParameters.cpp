#include "parameters/GeneralParameters.h"

#include "common/FileIO.h"
#include "common/IntegerText.h"
#include "common/Prompter.h"
#include "project/XmlDocument.h"

#include <QDir>
#include <QFileInfo>

namespace {

using Pargen::Element;
using Pargen::ElementName;
using Pargen::kRoot;

// 0..max as an integer text; anything else counts as -1 and fails.
bool inRange(const QString& text, std::int64_t max) {
    const std::int64_t v = IntegerTextOr(text, -1);
    return v >= 0 && v <= max;
}

} // namespace

GeneralParameters WriteParameterDefaults() {
    GeneralParameters p;
    p.ip = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    p.sub = {QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"),
             QStringLiteral("0")};
    p.gat = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    p.port = QStringLiteral("502");
    p.snmpPublic = QStringLiteral("halvik");
    p.snmpPrivate = QStringLiteral("morsund");
    p.baudCode = 3 + kBaudCodeOffset; // 57600
    p.parity = 0;
    p.timeOut = QStringLiteral("1000");
    p.offset = QStringLiteral("0");
    p.mode = 1;
    return p;
}

LoadedParameters LoadParameters(const QString& path) {
    LoadedParameters out{WriteParameterDefaults(), std::nullopt};
    if (!QFileInfo::exists(path))
        return out;
    QDomDocument doc;
    QByteArray source;
    if (Result<> loaded = LoadXmlFile(doc, path, &source); !loaded) {
        // A parser's reason alone does not say which file; a reading failure already does.
        const QString shown = QDir::toNativeSeparators(path);
        out.error = loaded.error().contains(shown)
                        ? loaded.error()
                        : QStringLiteral("File \"%1\" is not well-formed XML: %2")
                              .arg(shown, loaded.error());
        return out;
    }
    const QDomElement root = TopLevelElement(doc, kRoot);
    // The text of the named child, or nullopt when it is missing or empty.
    auto text = [&root, &source](Element element) -> std::optional<QString> {
        const QString t =
            Pargen::ElementValue(ChildElement(root, ElementName(element)), element, source);
        return t.isEmpty() ? std::nullopt : std::optional<QString>(t);
    };
    auto integer = [&text](Element element) -> std::optional<std::int32_t> {
        const auto t = text(element);
        return t ? ParseIntegerText(*t) : std::nullopt;
    };

    GeneralParameters& p = out.values;
    for (int i = 0; i < 4; ++i) {
        p.ip[i] = text(Pargen::IpOctet(i)).value_or(QStringLiteral("0"));
        p.sub[i] = text(Pargen::SubnetOctet(i))
                       .value_or(i < 3 ? QStringLiteral("255") : QStringLiteral("0"));
        p.gat[i] = text(Pargen::GatewayOctet(i)).value_or(QStringLiteral("0"));
    }
    p.port = QString::number(integer(Element::Port).value_or(502));
    p.snmpPublic = text(Element::SnmpPublic).value_or(QString()).left(kSnmpNameLength);
    p.snmpPrivate = text(Element::SnmpPrivate).value_or(QString()).left(kSnmpNameLength);
    p.baudCode = integer(Element::Baud).value_or(kBaudCodeOffset);
    p.parity = Pargen::ParityPosition(integer(Element::Parity).value_or(0));
    p.timeOut = text(Element::TimeOut).value_or(QStringLiteral("1000"));
    p.offset = text(Element::Offset).value_or(QStringLiteral("0"));
    p.mode = integer(Element::Mode).value_or(1) == 0 ? 0 : 1;
    return out;
}

int PortValue(const GeneralParameters& values) {
    return IntegerTextOr(values.port, 0);
}

QString ParityCode(int parityPosition) {
    return QString::number(Pargen::ParityCode(parityPosition));
}

QString ModeCode(int mode) {
    return mode == 1 ? QStringLiteral("1") : QStringLiteral("0");
}

namespace {

QDomDocument parametersDocument(const GeneralParameters& values) {
    QDomDocument doc;
    QDomElement root = doc.createElement(kRoot);
    doc.appendChild(root);
    auto add = [&doc, &root](Element element, const QString& text) {
        AppendTextElement(doc, root, ElementName(element), text);
    };
    for (int i = 0; i < 4; ++i)
        add(Pargen::IpOctet(i), values.ip[i]);
    for (int i = 0; i < 4; ++i)
        add(Pargen::SubnetOctet(i), values.sub[i]);
    for (int i = 0; i < 4; ++i)
        add(Pargen::GatewayOctet(i), values.gat[i]);
    add(Element::Port, QString::number(PortValue(values)));
    add(Element::SnmpPublic, values.snmpPublic);
    add(Element::SnmpPrivate, values.snmpPrivate);
    add(Element::Baud, QString::number(values.baudCode));
    add(Element::Parity, ParityCode(values.parity));
    add(Element::TimeOut, values.timeOut);
    add(Element::Offset, values.offset);
    add(Element::Mode, ModeCode(values.mode));
    return doc;
}

} // namespace

QByteArray ParametersXml(const GeneralParameters& values) {
    return SerializeXml(parametersDocument(values));
}

Result<> SaveParameters(const GeneralParameters& values, const QString& path) {
    const QDomDocument doc = parametersDocument(values);
    // A control character in a community name would make a file no reader accepts.
    QDomDocument check;
    if (!LoadXmlText(check, SerializeXml(doc)).ok())
        return Fail(CannotCreateMessage(path, QStringLiteral("A value holds a character that "
                                                             "cannot be stored.")));
    return SaveXmlFile(doc, path);
}

Result<> ValidateParameters(const GeneralParameters& values) {
    for (const QString& t : values.ip)
        if (!inRange(t, 255))
            return Fail(QStringLiteral("Error!! IP must be between 0 and 255. "));
    for (const QString& t : values.sub)
        if (!inRange(t, 255))
            return Fail(QStringLiteral("Error!! Subnet Mask must be between 0 and 255. "));
    for (const QString& t : values.gat)
        if (!inRange(t, 255))
            return Fail(QStringLiteral("Error!! Gateway must be between 0 and 255. "));
    // The image holds time-out, offset and port in 16 bits: larger values would reach the
    // device cut to their low bits.
    if (!inRange(values.timeOut, 0xFFFF))
        return Fail(QStringLiteral("TimeOut Error!!"));
    if (!inRange(values.offset, 0xFFFF))
        return Fail(QStringLiteral("Offset Error!!"));
    if (!inRange(values.port, 0xFFFF))
        return Fail(QStringLiteral("Port Error!!"));
    return Ok();
}

QString PingAddress(const GeneralParameters& values) {
    return values.ip[0] + QLatin1Char('.') + values.ip[1] + QLatin1Char('.') + values.ip[2] +
           QLatin1Char('.') + values.ip[3];
}

bool TranslateTableInUse(const GeneralParameters& values) {
    return values.mode == 1;
}

QString ReplaceUnreadFileQuestion(const QString& path) {
    return QStringLiteral("\"%1\" could not be read. Replace it with the values shown?")
        .arg(QDir::toNativeSeparators(path));
}

ParametersOk ConfirmParameters(const GeneralParameters& values, const QString& path,
                               bool replacesUnreadFile, const QString& dialogTitle,
                               Prompter& prompter) {
    if (Result<> checked = ValidateParameters(values); !checked) {
        prompter.error(checked.error());
        return ParametersOk::CheckFailed;
    }
    if (replacesUnreadFile && !prompter.question(dialogTitle, ReplaceUnreadFileQuestion(path)))
        return ParametersOk::Declined;
    if (Result<> saved = SaveParameters(values, path); !saved) {
        prompter.errorReport(saved.error());
        return ParametersOk::SaveFailed;
    }
    return ParametersOk::Saved;
}
