#pragma once
// Reading a PNG file's chunks ourselves, for files we do not trust: the few
// text keys wanted, without inflating anything else, and a copy without the
// chunks a decoder would inflate beyond the pixels.
#include <QByteArray>
#include <QSize>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The longest text value read, once inflated; a longer one is refused.
inline constexpr std::size_t kMaxPngTextBytes = 8 * 1024;

struct PngHead {
    QSize size;                                // from IHDR
    std::map<std::string, std::string> texts;  // the wanted keys found, first of each
};

// The size and the wanted text keys of the PNG whose first bytes these are,
// from its tEXt, zTXt and iTXt chunks before the first IDAT (the only chunks
// inflated are those of wanted keys, each to at most kMaxPngTextBytes).
// None when the bytes are no PNG, end before the first IDAT, or a wanted
// key's chunk is damaged or holds a longer value.
std::optional<PngHead> read_png_head(std::string_view bytes, const std::vector<std::string>& wanted);

// The PNG with only the chunks needed to draw it: the critical ones and
// those of transparency and colour that hold no compressed data. None when
// the chunks do not add up.
std::optional<QByteArray> png_pixels_only(std::string_view bytes);

}  // namespace platform
