#include "platform/pictures/win32/upright.h"

#include <algorithm>
#include <utility>

namespace platform::win32 {

PictureData upright(PictureData stored, unsigned orientation) {
    if (orientation < 2 || orientation > 8) return stored;
    const int w = stored.width, h = stored.height;
    const bool turned = orientation >= 5;
    PictureData out;
    out.width = turned ? h : w;
    out.height = turned ? w : h;
    out.pixels.resize(stored.pixels.size());
    // Where the shown pixel (x, y) is stored: 2 mirrors, 3 turns half way,
    // 4 flips, 5 transposes, 6 turns a quarter clockwise, 7 transposes the
    // other way, 8 turns a quarter anticlockwise.
    const auto source = [&](int x, int y) -> std::pair<int, int> {
        switch (orientation) {
            case 2: return {w - 1 - x, y};
            case 3: return {w - 1 - x, h - 1 - y};
            case 4: return {x, h - 1 - y};
            case 5: return {y, x};
            case 6: return {y, h - 1 - x};
            case 7: return {w - 1 - y, h - 1 - x};
            default: return {w - 1 - y, x};
        }
    };
    std::uint32_t* to = out.pixels.data();
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const auto [sx, sy] = source(x, y);
            *to++ = stored.pixels[std::size_t(sy) * std::size_t(w) + std::size_t(sx)];
        }
    }
    return out;
}

}  // namespace platform::win32
