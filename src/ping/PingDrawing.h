// The drawings of the ping dialog's three results: the gateway with a green tick (found), with
// a grey question mark (not found), and a red warning sign (error).
#pragma once

#include <QImage>

inline constexpr int kPingPictureSize = 96;

// Square pictures of kPingPictureSize pixels, premultiplied ARGB.
QImage DrawDeviceFoundPicture();
QImage DrawDeviceNotFoundPicture();
QImage DrawPingErrorPicture();
