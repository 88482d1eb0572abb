// The drawn pictures, rendered once at build time by quenzor-render-pictures: drawing them
// at start-up (text in fonts of their own, gradients big enough to start painting threads)
// cost more than building the dialogs that show them.
#pragma once

#include <QImage>

enum class RenderedPicture { Product, DeviceFound, DeviceNotFound, PingError };

// The size the product picture is rendered at: twice its place in the About dialog.
inline constexpr int kRenderedProductSize = 256;

// A read-only image over the rendered pixels (premultiplied ARGB); no copy is made.
QImage RenderedPictureImage(RenderedPicture which);
