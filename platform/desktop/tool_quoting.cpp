// The picture's name in each desktop tool's own syntax, and what the tools
// print back read as text.
#include "platform/desktop/tool_quoting.h"

#include "platform/files/file_uri.h"
#include "platform/files/files.h"

namespace platform::wallpaper_tools {

bool valid_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = 0;
        char32_t cp = 0;
        if (c < 0x80) { ++i; continue; }
        if (c >= 0xC2 && c <= 0xDF) { n = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { n = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { n = 3; cp = c & 0x07; }
        else return false;
        if (i + n >= text.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
        if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::string gvariant_quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\'': out += "\\'"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out + "'";
}

namespace {

// The code point of `digits` hexadecimal digits at s[at]; false when they are not there.
bool hex_at(const std::string& s, std::size_t at, std::size_t digits, char32_t& cp) {
    if (at + digits > s.size()) return false;
    cp = 0;
    for (std::size_t k = at; k < at + digits; ++k) {
        const char c = s[k];
        const int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (v < 0) return false;
        cp = (cp << 4) | static_cast<char32_t>(v);
    }
    return cp <= 0x10FFFF;
}

}  // namespace

bool gvariant_unquote(const std::string& printed, std::string& text) {
    std::string s = printed;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    if (s.size() < 2) return false;
    const char q = s.front();
    if ((q != '\'' && q != '"') || s.back() != q) return false;
    text.clear();
    const std::size_t end = s.size() - 1;
    for (std::size_t i = 1; i < end; ++i) {
        char c = s[i];
        if (c == q) return false;  // more than one string
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= end) return false;
        // GLib prints what is not printable as C escapes or \uXXXX / \UXXXXXXXX.
        c = s[i];
        char32_t cp = 0;
        switch (c) {
            case 'a': text += '\a'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'v': text += '\v'; break;
            case 'u':
            case 'U': {
                const std::size_t digits = c == 'u' ? 4 : 8;
                if (i + digits >= end || !hex_at(s, i + 1, digits, cp)) return false;
                append_utf8(cp, text);
                i += digits;
                break;
            }
            default: text += c;
        }
    }
    return true;
}

bool plain_path(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    for (const char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain && std::string_view("/._+,@%=:-").find(c) == std::string_view::npos) return false;
    }
    return true;
}

std::string plasma_script(const std::string& path, std::string_view fill_mode) {
    // Nothing but unreserved characters and '/' kept, so that no quote,
    // backslash or line break of the name reaches the script.
    const std::string uri = file_uri(path, "");
    return "var ds = desktops();\n"
           "for (var i = 0; i < ds.length; i++) {\n"
           "    var d = ds[i];\n"
           "    d.wallpaperPlugin = 'org.kde.image';\n"
           "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
           "    d.writeConfig('Image', '" + uri + "');\n"
           "    d.writeConfig('FillMode', " + std::string(fill_mode) + ");\n"
           "    print(d.readConfig('Image', '') + '\\n');\n"
           "}\n";
}

bool plasma_shows(const std::string& printed, const std::string& path) {
    const std::string uri = file_uri(path, "");
    std::size_t desktops = 0;
    std::size_t start = 0;
    while (start < printed.size()) {
        std::size_t end = printed.find('\n', start);
        if (end == std::string::npos) end = printed.size();
        std::string line = printed.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;  // print() may end each line itself
        if (line != uri) return false;
        ++desktops;
    }
    return desktops > 0;
}

}  // namespace platform::wallpaper_tools
