// The three result pictures of the ping dialog (see ping/PingDrawing.h), as rendered at build
// time.
#pragma once

#include "ping/PingDrawing.h"

#include <QPixmap>

QPixmap DeviceFoundPicture();
QPixmap DeviceNotFoundPicture();
QPixmap PingErrorPicture();
