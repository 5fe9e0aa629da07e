// Fuzzes our own reading of picture headers: any bytes give a refusal with a reason, or a size within the limits
// whose memory is told, read without going past the end or reading the file over and over.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "check.h"
#include "platform/pictures/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint64_t bytes_read = 0;
    const platform::ReadAt read = [&](std::uint64_t offset, void* buffer, std::size_t bytes) -> std::size_t {
        check(offset < size && bytes <= size - offset, "a read past the end");
        std::memcpy(buffer, data + offset, bytes);
        bytes_read += bytes;
        return bytes;
    };
    platform::PictureHeader h;
    std::string why;
    const bool ok = platform::read_picture_header(read, size, h, why);
    check(bytes_read <= 4 * std::uint64_t(size) + 4096, "the file read over and over");
    if (!ok) {
        check(!why.empty(), "a refusal without a reason");
        return 0;
    }
    const std::uint64_t pixels = std::uint64_t(h.width) * std::uint64_t(h.height);
    check(h.width > 0 && h.height > 0, "a size with no pixels");
    check(pixels <= platform::kMaxHeaderPixels, "more pixels than the limit");
    check(pixels <= 16'000'000 || pixels / 10'000 <= size, "far more pixels than the file holds");
    check(h.decoder_bytes >= pixels * 4, "the decoder's memory not told");
    check(h.orientation >= 1 && h.orientation <= 8, "an orientation out of range");
    check(h.image_index >= 0 && h.frame_width >= 0 && h.frame_height >= 0, "a frame out of range");
    return 0;
}
