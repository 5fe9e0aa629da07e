#pragma once
// The kinds of picture the program lists, shows and makes the wallpaper: a
// new kind is one more row here. The file lists' pattern is made from the
// rows, and the wallpaper call asks here which files go to the desktop as a
// bitmap. The browser's selector names the kinds in its first entry, whose
// label is the program's own fixed text: it also names WMF, which is not
// listed, and stays as it is.
#include <array>
#include <cstddef>
#include <string_view>

#include "platform/core/ascii.h"

namespace platform {

struct PictureKind {
    std::string_view extension;  // as the pattern spells it, without the dot
    bool becomes_bitmap;         // handed to the desktop converted to a bitmap
};

// In the order the pattern lists them.
inline constexpr std::array kPictureKinds{
    PictureKind{"GIF", true},
    PictureKind{"JPG", true},
    PictureKind{"BMP", false},
    PictureKind{"ICO", false},
};

namespace picture_kinds_detail {

constexpr std::size_t pattern_size() {
    std::size_t size = 0;
    for (const auto& kind : kPictureKinds) size += (size ? 1 : 0) + 2 + kind.extension.size();
    return size;
}

constexpr std::array<char, pattern_size()> make_pattern() {
    std::array<char, pattern_size()> out{};
    std::size_t at = 0;
    for (const auto& kind : kPictureKinds) {
        if (at) out[at++] = ';';
        out[at++] = '*';
        out[at++] = '.';
        for (char c : kind.extension) out[at++] = c;
    }
    return out;
}

inline constexpr auto kPatternChars = make_pattern();

}  // namespace picture_kinds_detail

// The file lists' pattern of every kind, "*.EXT" joined by ';'.
inline constexpr std::string_view kPicturePattern{picture_kinds_detail::kPatternChars.data(),
                                                  picture_kinds_detail::kPatternChars.size()};

// True when the path names a kind that goes to the desktop as a bitmap, by
// its extension without regard to ASCII case.
inline bool becomes_bitmap(std::string_view path) {
    for (const auto& kind : kPictureKinds) {
        if (!kind.becomes_bitmap || path.size() < kind.extension.size() + 1) continue;
        const std::string_view tail = path.substr(path.size() - kind.extension.size());
        if (path[path.size() - tail.size() - 1] == '.' && equal_ignoring_ascii_case(tail, kind.extension))
            return true;
    }
    return false;
}

}  // namespace platform
