// Fuzzes the PNG chunk reader of thumbnail cache entries: keys within their
// limit, and a copy for the decoder that only leaves chunks out.
#include <cstdint>
#include <string_view>

#include "check.h"
#include "platform/pictures/png_chunks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto head = platform::read_png_head(bytes, {"Thumb::URI", "Thumb::MTime", "Thumb::Size"})) {
        check(head->size.width() > 0 && head->size.height() > 0, "an empty size");
        check(head->texts.size() <= 3, "a key that was not asked for");
        for (const auto& [key, value] : head->texts) check(value.size() <= platform::kMaxPngTextBytes, "a long value");
    }
    if (const auto pixels = platform::png_pixels_only(bytes)) {
        check(std::size_t(pixels->size()) <= size, "a copy longer than the file");
        check(pixels->startsWith("\x89PNG\r\n\x1a\n"), "a copy without the signature");
    }
    return 0;
}
