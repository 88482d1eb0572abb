#include "info/ProductPicture.h"

#include "info/ProductDrawing.h"
#include "pictures/RenderedPictures.h"

QPixmap ProductPicture(int size) {
    if (size == kRenderedProductSize)
        return QPixmap::fromImage(RenderedPictureImage(RenderedPicture::Product));
    return QPixmap::fromImage(DrawProductPicture(size));
}
