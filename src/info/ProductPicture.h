// The picture of the Quenzor gateway in the About dialog, drawn for this product.
#pragma once

#include <QPixmap>

// A square picture of `size` pixels: the DIN-rail module with its network port, status
// lights and RS485 terminal.
QPixmap ProductPicture(int size);
