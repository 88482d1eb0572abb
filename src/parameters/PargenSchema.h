// The shape of pargen.xml, shared by the parameters dialog, the image composer and the image
// inspector: the root and element names in the file's fixed order, and the code tables of
// baud rate, parity and mode.
#pragma once

#include <QByteArray>
#include <QDomElement>
#include <QString>
#include <QStringList>

namespace Pargen {

inline const QString kRoot = QStringLiteral("General_Parameter");

// The twenty elements, in the order the file stores them and the composer reads them.
enum class Element {
    Ip1,
    Ip2,
    Ip3,
    Ip4,
    Sub1,
    Sub2,
    Sub3,
    Sub4,
    Gat1,
    Gat2,
    Gat3,
    Gat4,
    Port,
    SnmpPublic,
    SnmpPrivate,
    Baud,
    Parity,
    TimeOut,
    Offset,
    Mode,
};
inline constexpr int kElementCount = 20;

QString ElementName(Element element);
// The text of `node`, the file's `element`, as every reader of a file whose bytes are `source`
// takes it: a community name as written, though it be spaces alone, which the DOM drops.
QString ElementValue(const QDomElement& node, Element element, const QByteArray& source);
// The i-th octet (0..3) of the IP address, subnet mask and default gateway.
Element IpOctet(int i);
Element SubnetOctet(int i);
Element GatewayOctet(int i);

// The baud rates offered, in list order; the stored code is the position plus 3.
inline const QStringList kBaudNames = {QStringLiteral("9600"), QStringLiteral("19200"),
                                       QStringLiteral("38400"), QStringLiteral("57600"),
                                       QStringLiteral("115200")};
inline constexpr int kBaudCodeOffset = 3;
// Parity in list order; the stored codes are 0, 3 and 2.
inline const QStringList kParityNames = {QStringLiteral("NONE"), QStringLiteral("ODD"),
                                         QStringLiteral("EVEN")};
// Mode in list order; the stored code is the position.
inline const QStringList kModeNames = {QStringLiteral("Routing Mode"), QStringLiteral("NAT Mode")};

// Position in the baud list, -1 when the code is outside it.
int BaudPosition(int baudCode);
int ParityCode(int parityPosition); // 0 for a position outside the list
int ParityPosition(int parityCode); // NONE for a code outside the table
// The name a stored code stands for; empty for a code outside the table.
QString BaudName(int baudCode);
QString ParityName(int parityCode);
QString ModeName(int modeCode);

} // namespace Pargen
