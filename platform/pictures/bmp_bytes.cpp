#include "platform/pictures/bmp_bytes.h"

#include <cstdint>

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

std::string bmp_file_bytes(const QImage& rgb32) {
    const auto width = static_cast<std::size_t>(rgb32.width());
    const auto height = static_cast<std::size_t>(rgb32.height());
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
        .u32(dpm(rgb32.dotsPerMeterX()))
        .u32(dpm(rgb32.dotsPerMeterY()))
        .u32(0)   // colours used: no palette
        .u32(0);  // colours important
    auto* out = reinterpret_cast<unsigned char*>(bytes.data()) + offset;
    for (std::size_t y = height; y-- > 0;) {
        const auto* pixel = reinterpret_cast<const QRgb*>(rgb32.constScanLine(static_cast<int>(y)));
        unsigned char* b = out;
        for (std::size_t x = 0; x < width; ++x, ++pixel) {
            *b++ = static_cast<unsigned char>(qBlue(*pixel));
            *b++ = static_cast<unsigned char>(qGreen(*pixel));
            *b++ = static_cast<unsigned char>(qRed(*pixel));
        }
        out += row_bytes;
    }
    return bytes;
}

}  // namespace platform
