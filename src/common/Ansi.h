// The single-byte Windows-1252 code page that the device and the flasher expect.
#pragma once

#include <QByteArray>
#include <QString>

// Each character becomes its Windows-1252 byte; a character the code page cannot hold
// becomes "?".
QByteArray ToAnsi(QStringView text);
QString FromAnsi(const QByteArray& bytes);
