// Which serial device stands for a COM port on this machine. QUENZOR_FLASHER_PORTS either
// lists ports ("COM1=/dev/ttyUSB0,COM3=/dev/ttyACM0") or gives a pattern in which %1 is the
// zero-based port index ("/dev/ttyUSB%1"). Without it, COMn is the n-th serial port present
// (in natural order of their device names), and a port beyond those uses "/dev/ttyS%1".
#pragma once

#include <QList>
#include <QString>

struct PresentSerialPort {
    QString device;      // "/dev/ttyUSB0"
    QString description; // "USB serial adapter", may be empty
};

// The serial ports this machine has, as Qt Serial Port sees them, in natural name order.
QList<PresentSerialPort> PresentSerialPorts();

QString SerialDeviceForPort(int portIndex, const QString& setting,
                            const QList<PresentSerialPort>& present = {});
// "COM1", or "COM1 — /dev/ttyUSB0, USB serial adapter" when a present port stands for it.
QString PortCaption(int portIndex, const QList<PresentSerialPort>& present);
