#pragma once
#include <QImage>

namespace platform {
struct PictureData {
    QImage image;
};
}  // namespace platform
