#include "platform/pictures/bmp_bytes.h"

#include "platform/pictures/bitmap_file.h"

namespace platform {

std::string bmp_file_bytes(const QImage& rgb32) {
    return bitmap_file_bytes(
        rgb32.width(), rgb32.height(),
        [&](int y) { return reinterpret_cast<const std::uint32_t*>(rgb32.constScanLine(y)); },
        rgb32.dotsPerMeterX(), rgb32.dotsPerMeterY());
}

}  // namespace platform
