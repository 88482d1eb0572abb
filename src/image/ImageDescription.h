// Reads the parameters back out of a configuration image, so a field engineer can see what
// a bank file or firmware will configure.
#pragma once

#include "image/ConfigImage.h"

#include <QString>
#include <QStringList>

// "57600" for code 6, or an empty text for a code the device does not know.
QString BaudRateName(int code);
// "NONE", "ODD", "EVEN", or empty.
QString ParityName(int code);
// "Routing Mode", "NAT Mode", or empty.
QString ModeName(int code);

// One "Label: value" line per parameter, in image order, then the composition stamp and a
// line on the bytes outside the parameter block.
QStringList DescribeImage(const ConfigImage& image);
