#include "platform/pictures/bitmap_file.h"

namespace platform {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::int32_t kDefaultDotsPerMeter = 2834;  // 72 DPI

// Little-endian fields, written at a running position.
class Fields {
public:
    explicit Fields(char* at) : at_(reinterpret_cast<unsigned char*>(at)) {}
    Fields& u16(std::uint32_t v) { return put(v, 2); }
    Fields& u32(std::uint32_t v) { return put(v, 4); }

private:
    Fields& put(std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) *at_++ = static_cast<unsigned char>(v >> (8 * i));
        return *this;
    }
    unsigned char* at_;
};

}  // namespace

std::string bitmap_file_bytes(int width_px, int height_px, const BitmapRow& row, int dots_per_meter_x,
                              int dots_per_meter_y) {
    const auto width = static_cast<std::size_t>(width_px);
    const auto height = static_cast<std::size_t>(height_px);
    const std::size_t row_bytes = (width * 3 + 3) / 4 * 4;
    const std::size_t offset = kFileHeaderBytes + kInfoHeaderBytes;
    const std::size_t total = offset + row_bytes * height;
    const auto dpm = [](int v) { return static_cast<std::uint32_t>(v ? v : kDefaultDotsPerMeter); };

    // Zero-filled, so the padding at the end of each row is already there.
    std::string bytes(total, '\0');
    Fields(bytes.data())
        .u16('B' | ('M' << 8))
        .u32(static_cast<std::uint32_t>(total))
        .u32(0)  // two reserved words
        .u32(static_cast<std::uint32_t>(offset))
        .u32(kInfoHeaderBytes)
        .u32(static_cast<std::uint32_t>(width))
        .u32(static_cast<std::uint32_t>(height))  // positive: the bottom row comes first
        .u16(1)                                   // planes
        .u16(24)                                  // bits a pixel
        .u32(0)                                   // no compression
        .u32(static_cast<std::uint32_t>(row_bytes * height))
        .u32(dpm(dots_per_meter_x))
        .u32(dpm(dots_per_meter_y))
        .u32(0)   // colours used: no palette
        .u32(0);  // colours important
    auto* out = reinterpret_cast<unsigned char*>(bytes.data()) + offset;
    for (std::size_t y = height; y-- > 0;) {
        const std::uint32_t* pixel = row(static_cast<int>(y));
        unsigned char* b = out;
        for (std::size_t x = 0; x < width; ++x, ++pixel) {
            *b++ = static_cast<unsigned char>(*pixel);
            *b++ = static_cast<unsigned char>(*pixel >> 8);
            *b++ = static_cast<unsigned char>(*pixel >> 16);
        }
        out += row_bytes;
    }
    return bytes;
}

}  // namespace platform
