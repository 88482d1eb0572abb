#include "parameters/PargenSchema.h"

#include "project/XmlDocument.h"

namespace Pargen {

namespace {

constexpr const char* kNames[kElementCount] = {
    "TCP_IP1",      "TCP_IP2",  "TCP_IP3",  "TCP_IP4",  "TCP_SUB1", "TCP_SUB2", "TCP_SUB3",
    "TCP_SUB4",     "TCP_GAT1", "TCP_GAT2", "TCP_GAT3", "TCP_GAT4", "TCP_PORT", "SNMP_PUBLIC",
    "SNMP_PRIVATE", "BAUD",     "PARITY",   "TIME_OUT", "OFFSET",   "MODE",
};
constexpr int kParityCodes[] = {0, 3, 2};

QString listName(const QStringList& names, int position) {
    return position >= 0 && position < names.size() ? names[position] : QString();
}

} // namespace

QString ElementName(Element element) {
    return QString::fromLatin1(kNames[int(element)]);
}

QString ElementValue(const QDomElement& node, Element element, const QByteArray& source) {
    return element == Element::SnmpPublic || element == Element::SnmpPrivate
               ? ElementTextAsWritten(node, source)
               : ElementText(node);
}

Element IpOctet(int i) {
    return Element(int(Element::Ip1) + i);
}

Element SubnetOctet(int i) {
    return Element(int(Element::Sub1) + i);
}

Element GatewayOctet(int i) {
    return Element(int(Element::Gat1) + i);
}

int BaudPosition(int baudCode) {
    const qint64 position = qint64(baudCode) - kBaudCodeOffset;
    return position >= 0 && position < kBaudNames.size() ? int(position) : -1;
}

int ParityCode(int parityPosition) {
    return parityPosition >= 0 && parityPosition < 3 ? kParityCodes[parityPosition] : 0;
}

int ParityPosition(int parityCode) {
    for (int position = 0; position < 3; ++position)
        if (kParityCodes[position] == parityCode)
            return position;
    return 0;
}

QString BaudName(int baudCode) {
    return listName(kBaudNames, BaudPosition(baudCode));
}

QString ParityName(int parityCode) {
    for (int position = 0; position < 3; ++position)
        if (kParityCodes[position] == parityCode)
            return kParityNames[position];
    return {};
}

QString ModeName(int modeCode) {
    return listName(kModeNames, modeCode);
}

} // namespace Pargen
