// The three result pictures of the ping dialog, drawn for this product: the gateway with a
// green tick (found), with a grey question mark (not found), and a red warning sign (error).
#pragma once

#include <QPixmap>

inline constexpr int kPingPictureSize = 96;

QPixmap DeviceFoundPicture();
QPixmap DeviceNotFoundPicture();
QPixmap PingErrorPicture();
