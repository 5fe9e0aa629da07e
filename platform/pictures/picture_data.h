#pragma once
// The decoded image behind a platform::Picture, for the parts of the platform
// layer that draw it.
#include <QImage>

#include "platform/pictures/picture.h"

namespace platform {

struct PictureData {
    QImage image;  // Format_RGB32, or Format_ARGB32_Premultiplied with transparency
};

// A picture holding the image, converted to the format that paints fast.
Picture picture_from_image(const QImage& image);

}  // namespace platform
