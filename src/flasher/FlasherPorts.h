// Which serial device stands for a COM port on this machine. QUENZOR_FLASHER_PORTS either
// lists ports ("COM1=/dev/ttyUSB0,COM3=/dev/ttyACM0") or gives a pattern in which %1 is the
// zero-based port index ("/dev/ttyUSB%1"); unlisted ports use the pattern "/dev/ttyS%1".
#pragma once

#include <QString>

QString SerialDeviceForPort(int portIndex, const QString& setting);
