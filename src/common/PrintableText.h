// Text made safe to print one item per line: a line feed or another control character in a
// file name or a stored name must not add lines to a report or steer a terminal.
#pragma once

#include <QString>

// Control characters (C0, DEL, C1) become "\xNN"; everything else is kept.
QString PrintableText(const QString& text);
