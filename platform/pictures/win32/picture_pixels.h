#pragma once
// The decoded image behind a platform::Picture on Windows, for the parts of
// the platform layer that draw it.
#include <cstdint>
#include <vector>

#include "platform/pictures/picture.h"

namespace platform {

struct PictureData {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // top-down rows, 32-bit BGRA, premultiplied alpha
};

}  // namespace platform
