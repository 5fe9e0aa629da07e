// PNG chunks walked by hand, every length checked against the bytes there are.
#include "platform/pictures/png_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>

namespace platform {
namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);

std::uint32_t be32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) << 24 | std::uint32_t(u[1]) << 16 | std::uint32_t(u[2]) << 8 | u[3];
}

struct Chunk {
    std::string_view type;
    std::string_view data;
    std::string_view whole;  // length, type, data and CRC
};

// Walks the chunks after the signature; stops at the end of the bytes or at
// a chunk that runs past them.
class Chunks {
public:
    explicit Chunks(std::string_view bytes) : rest_(bytes.substr(std::min(bytes.size(), kSignature.size()))) {}
    std::optional<Chunk> next() {
        if (rest_.size() < 12) return std::nullopt;
        const std::uint32_t length = be32(rest_.data());
        if (length > rest_.size() - 12) return std::nullopt;
        Chunk c{rest_.substr(4, 4), rest_.substr(8, length), rest_.substr(0, 12 + length)};
        rest_.remove_prefix(12 + length);
        return c;
    }

private:
    std::string_view rest_;
};

bool crc_matches(const Chunk& c) {
    const auto* typed = reinterpret_cast<const Bytef*>(c.type.data());
    const uLong crc = ::crc32(0L, typed, uInt(4 + c.data.size()));
    return crc == be32(c.data.data() + c.data.size());
}

// Inflates a zlib stream into at most `limit` bytes; none when it is damaged
// or holds more.
std::optional<std::string> inflated(std::string_view compressed, std::size_t limit) {
    z_stream z{};
    if (::inflateInit(&z) != Z_OK) return std::nullopt;
    std::string out(limit + 1, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = uInt(compressed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int result = ::inflate(&z, Z_FINISH);
    const std::size_t produced = out.size() - z.avail_out;
    ::inflateEnd(&z);
    if (result != Z_STREAM_END || produced > limit) return std::nullopt;
    out.resize(produced);
    return out;
}

// The value of a text chunk whose keyword is wanted: tEXt is plain, zTXt
// always compressed, iTXt compressed when its flag says so. Nullopt when
// damaged or too long.
std::optional<std::string> text_value(const Chunk& c, std::size_t keyword_end) {
    std::string_view rest = c.data.substr(keyword_end + 1);
    if (c.type == "tEXt") {
        if (rest.size() > kMaxPngTextBytes) return std::nullopt;
        return std::string(rest);
    }
    if (c.type == "zTXt") {
        if (rest.empty() || rest[0] != 0) return std::nullopt;  // deflate is the only method
        return inflated(rest.substr(1), kMaxPngTextBytes);
    }
    // iTXt: compression flag, method, language tag, translated keyword, text.
    if (rest.size() < 2) return std::nullopt;
    const bool compressed = rest[0] != 0;
    if (compressed && rest[1] != 0) return std::nullopt;
    rest.remove_prefix(2);
    for (int field = 0; field < 2; ++field) {
        const std::size_t end = rest.find('\0');
        if (end == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(end + 1);
    }
    if (compressed) return inflated(rest, kMaxPngTextBytes);
    if (rest.size() > kMaxPngTextBytes) return std::nullopt;
    return std::string(rest);
}

bool is_text(std::string_view type) { return type == "tEXt" || type == "zTXt" || type == "iTXt"; }

}  // namespace

std::optional<PngHead> read_png_head(std::string_view bytes, const std::vector<std::string>& wanted) {
    if (bytes.substr(0, kSignature.size()) != kSignature) return std::nullopt;
    Chunks chunks(bytes);
    const auto ihdr = chunks.next();
    if (!ihdr || ihdr->type != "IHDR" || ihdr->data.size() != 13) return std::nullopt;
    const std::uint32_t w = be32(ihdr->data.data()), h = be32(ihdr->data.data() + 4);
    if (w == 0 || h == 0 || w > 0x7fffffff || h > 0x7fffffff) return std::nullopt;
    PngHead head;
    head.size = QSize(int(w), int(h));
    while (const auto c = chunks.next()) {
        if (c->type == "IDAT") return head;
        if (!is_text(c->type)) continue;
        const std::size_t keyword_end = c->data.find('\0');
        if (keyword_end == std::string_view::npos) continue;
        const std::string keyword(c->data.substr(0, keyword_end));
        if (std::find(wanted.begin(), wanted.end(), keyword) == wanted.end() || head.texts.count(keyword)) continue;
        if (!crc_matches(*c)) return std::nullopt;
        auto value = text_value(*c, keyword_end);
        if (!value) return std::nullopt;
        head.texts.emplace(keyword, std::move(*value));
    }
    return std::nullopt;  // no pixels within the bytes
}

std::optional<QByteArray> png_pixels_only(std::string_view bytes) {
    static constexpr std::string_view kKept[] = {"tRNS", "gAMA", "cHRM", "sRGB", "sBIT", "bKGD"};
    if (bytes.substr(0, kSignature.size()) != kSignature) return std::nullopt;
    QByteArray out(kSignature.data(), qsizetype(kSignature.size()));
    Chunks chunks(bytes);
    while (const auto c = chunks.next()) {
        // A capital first letter marks a chunk that a decoder cannot do without.
        const bool critical = c->type[0] >= 'A' && c->type[0] <= 'Z';
        if (critical || std::find(std::begin(kKept), std::end(kKept), c->type) != std::end(kKept))
            out.append(c->whole.data(), qsizetype(c->whole.size()));
        if (c->type == "IEND") return out;
    }
    return std::nullopt;
}

}  // namespace platform
