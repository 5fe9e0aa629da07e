#include "platform/files/file_uri.h"

namespace platform {

std::string file_uri(const std::string& path, std::string_view also_kept) {
    // Byte by byte: a name that is not UTF-8 keeps its own bytes.
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain || std::string_view("/-._~").find(c) != std::string_view::npos ||
            (c != '\0' && also_kept.find(c) != std::string_view::npos)) {
            uri += c;
        } else {
            uri += '%';
            uri += hex[u >> 4];
            uri += hex[u & 15];
        }
    }
    return uri;
}

}  // namespace platform
