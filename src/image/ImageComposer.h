// Composes the configuration image from a project's pargen.xml, stamped with the packed
// time and date of composition.
#pragma once

#include "common/Result.h"
#include "image/ConfigImage.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>

#include <cstdint>
#include <functional>

// The instant a composition is stamped with, or why it cannot be had.
using CompositionStamp = Result<QDateTime>;

// The local clock; when SOURCE_DATE_EPOCH is set, that instant (seconds since 1970) in local
// time instead, so that images can be reproduced. A set but invalid value is an error.
CompositionStamp CompositionTime();
using CompositionClock = std::function<CompositionStamp()>;

// (seconds div 2) << 11 | minutes << 5 | hours. Not the FAT layout.
std::uint16_t PackTime(const QTime& time);
// day << 11 | month << 7 | (year mod 100).
std::uint16_t PackDate(const QDate& date);

// The text in Windows-1252 (a character it cannot hold becomes "?"), cut to 13 bytes and
// padded with zeros to 14.
SnmpField FillSnmpName(QStringView text);

// Clears `image` and fills it from the file at `pargenPath`. A failure (its message names the
// file and, where there is one, the element) means pargen.xml could not be read whole; the
// image then holds the fields stored before the failure and zeros after it, and must not be
// written.
Result<> ComposeImage(ConfigImage& image, const QString& pargenPath,
                      const CompositionClock& clock = CompositionTime);
