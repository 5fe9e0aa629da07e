#pragma once
// The bytes of an uncompressed 24-bit Windows bitmap file, made in one
// buffer of the file's exact size. Plain C++, for every backend.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// One row of a picture, top row first: `width` pixels of 32 bits, 0xAARRGGBB
// (the alpha byte is not written).
using BitmapRow = std::function<const std::uint32_t*(int y)>;

// The rows as a bottom-up 24-bit bitmap with rows padded to four bytes; the
// resolution given in dots a metre, or 72 DPI for 0.
std::string bitmap_file_bytes(int width, int height, const BitmapRow& row, int dots_per_meter_x = 0,
                              int dots_per_meter_y = 0);

}  // namespace platform
