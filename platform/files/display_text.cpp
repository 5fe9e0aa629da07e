// Names made into text for people, without the toolkit: the bytes are read
// as UTF-8 exactly as the toolkit's own strings read them (so a name looks
// the same in a message as in a list) and written back as UTF-8.
#include <cstddef>
#include <string_view>

#include "platform/files/files.h"

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// UTF-8 to UTF-16: a byte that does not start a complete, shortest-form
// sequence of a scalar value becomes one U+FFFD and the next byte is read
// afresh; a byte order mark in front is dropped.
std::u16string utf16_of(std::string_view bytes) {
    std::u16string out;
    std::size_t i = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        std::size_t more = 0;
        char32_t least = 0, c = 0;
        if (b >= 0xC2 && b < 0xE0) more = 1, least = 0x80, c = b & 0x1F;
        else if (b >= 0xE0 && b < 0xF0) more = 2, least = 0x800, c = b & 0x0F;
        else if (b >= 0xF0 && b < 0xF5) more = 3, least = 0x10000, c = b & 0x07;
        bool ok = more > 0 && i + more < bytes.size();
        for (std::size_t k = 1; ok && k <= more; ++k) {
            const auto n = static_cast<unsigned char>(bytes[i + k]);
            ok = is_continuation(n);
            c = (c << 6) | (n & 0x3F);
        }
        ok = ok && c >= least && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        if (!ok) {
            out += kReplacement;
            ++i;
        } else if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            i += 1 + more;
        } else {
            out += static_cast<char16_t>(c);
            i += 1 + more;
        }
    }
    return out;
}

}  // namespace

void append_utf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

// UTF-16 to UTF-8; half of a surrogate pair alone becomes '?'.
std::string utf8_of(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c > 0xDBFF || i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                out += '?';
                continue;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        append_utf8(c, out);
    }
    return out;
}

}  // namespace

std::string display_text(const std::string& name) { return utf8_of(utf16_of(name)); }

std::string shortened_display_text(const std::string& name) {
    std::u16string text = utf16_of(name);
    if (text.size() > 60) text = text.substr(0, 28) + u"\u2026" + text.substr(text.size() - 28);
    return utf8_of(text);
}

}  // namespace platform
