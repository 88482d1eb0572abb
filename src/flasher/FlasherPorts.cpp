#include "flasher/FlasherPorts.h"

#include <QStringList>

namespace {
const QString kDefaultPattern = QStringLiteral("/dev/ttyS%1");
}

QString SerialDeviceForPort(int portIndex, const QString& setting) {
    const QString com = QStringLiteral("COM%1").arg(portIndex + 1);
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
