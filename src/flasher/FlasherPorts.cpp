#include "flasher/FlasherPorts.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

#include <QStringList>

namespace {
const QString kDefaultPattern = QStringLiteral("/dev/ttyS%1");
}

QList<PresentSerialPort> PresentSerialPorts() {
    QList<PresentSerialPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append({info.systemLocation(), info.description()});
    QCollator natural;
    natural.setNumericMode(true);
    std::sort(ports.begin(), ports.end(), [&natural](const auto& a, const auto& b) {
        return natural.compare(a.device, b.device) < 0;
    });
    return ports;
}

QString PortCaption(int portIndex, const QList<PresentSerialPort>& present) {
    const QString com = QStringLiteral("COM%1").arg(portIndex + 1);
    if (portIndex < 0 || portIndex >= present.size())
        return com;
    const PresentSerialPort& port = present[portIndex];
    return com + QStringLiteral(" \u2014 ") + port.device +
           (port.description.isEmpty() ? QString() : QStringLiteral(", ") + port.description);
}

QString SerialDeviceForPort(int portIndex, const QString& setting,
                            const QList<PresentSerialPort>& present) {
    const QString com = QStringLiteral("COM%1").arg(portIndex + 1);
    if (setting.trimmed().isEmpty() && portIndex >= 0 && portIndex < present.size())
        return present[portIndex].device;
    QString pattern = kDefaultPattern;
    if (setting.contains(QLatin1Char('='))) {
        for (const QString& entry : setting.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const qsizetype eq = entry.indexOf(QLatin1Char('='));
            if (eq > 0 && entry.left(eq).trimmed().compare(com, Qt::CaseInsensitive) == 0)
                return entry.mid(eq + 1).trimmed();
        }
    } else if (!setting.trimmed().isEmpty()) {
        pattern = setting.trimmed();
    }
    QString device = pattern;
    return device.replace(QStringLiteral("%1"), QString::number(portIndex));
}
