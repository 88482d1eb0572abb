// The picture of the Quenzor gateway in the About dialog (see info/ProductDrawing.h).
#pragma once

#include <QPixmap>

// A square picture of `size` pixels; the size of the About dialog comes as rendered at build
// time, any other is drawn.
QPixmap ProductPicture(int size);
