// The drawing of the Quenzor gateway shown in the About dialog.
#pragma once

#include <QImage>

// A square picture of `size` pixels, premultiplied ARGB: the DIN-rail module with its network
// port, status lights and RS485 terminal.
QImage DrawProductPicture(int size);
