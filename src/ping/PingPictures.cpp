#include "ping/PingPictures.h"

#include "pictures/RenderedPictures.h"

QPixmap DeviceFoundPicture() {
    return QPixmap::fromImage(RenderedPictureImage(RenderedPicture::DeviceFound));
}

QPixmap DeviceNotFoundPicture() {
    return QPixmap::fromImage(RenderedPictureImage(RenderedPicture::DeviceNotFound));
}

QPixmap PingErrorPicture() {
    return QPixmap::fromImage(RenderedPictureImage(RenderedPicture::PingError));
}
