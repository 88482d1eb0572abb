// The one rule by which every number typed by the user or stored in a file is read.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// Spaces before the number, an optional sign, then a hexadecimal number after "$", "x", "X",
// "0x" or "0X", or a decimal one. Nothing may follow the digits. Decimal values must fit a
// signed 32-bit integer; hexadecimal values must fit 32 bits and wrap to the negative half.
std::optional<std::int32_t> ParseIntegerText(QStringView text);

// The value, or `fallback` when the text is not an integer text.
std::int32_t IntegerTextOr(QStringView text, std::int32_t fallback);

// "'<text>' is not a valid integer value": the message of a conversion that is allowed to fail.
QString InvalidIntegerMessage(const QString& text);
