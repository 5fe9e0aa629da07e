#include "platform/pictures/picture_header.h"
#include "words/catalogue.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace platform {
namespace {

// Pictures above this size must come from files big enough to hold them:
// no packing of the formats read here gets ten thousand pixels into one
// byte (deflate's best is about 1,032 bytes to one, 8 one-bit pixels a byte).
constexpr std::uint64_t kBombCheckPixels = 16'000'000;
constexpr std::uint64_t kPixelsPerByte = 10'000;

// An unsigned field of n bytes (at most four) in either byte order.
std::uint32_t value_of(const unsigned char* b, int n, bool big) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint32_t(b[big ? n - 1 - i : i]) << (8 * i);
    return v;
}
// Read ahead for fields read in order; a field may take up to the largest
// segment of a JPEG.
constexpr std::size_t kReadAheadBytes = 4096;
constexpr std::size_t kLargestField = 65536;

// The file through a window of buffered bytes: fields at absolute offsets,
// nothing past the end (or past what could be read). Each byte of the file
// is read about once for fields read in order; a field read out of order
// (an icon's images) is read on its own, leaving the window as it is.
class Source {
public:
    Source(const ReadAt& read, std::uint64_t size) : read_(read), size_(size) {}
    std::uint64_t size() const { return size_; }
    bool has(std::uint64_t at, std::uint64_t n) const { return at <= size_ && n <= size_ - at; }

    // The n bytes at `at` (n at most kLargestField), or null.
    const unsigned char* bytes(std::uint64_t at, std::size_t n) {
        if (n > kLargestField || !has(at, n)) return nullptr;
        if (at < start_ || at + n > start_ + window_.size()) {
            window_.resize(std::size_t(std::min<std::uint64_t>(std::max(n, kReadAheadBytes), size_ - at)));
            start_ = at;
            const std::size_t got = read_(at, window_.data(), window_.size());
            window_.resize(std::min(got, window_.size()));
            if (window_.size() < n) return nullptr;
        }
        return window_.data() + (at - start_);
    }
    // A copy of the n bytes at `at`, read on their own.
    bool copy(std::uint64_t at, std::size_t n, unsigned char* out) const {
        return has(at, n) && read_(at, out, n) == n;
    }
    std::optional<unsigned> u8(std::uint64_t at) {
        const unsigned char* b = bytes(at, 1);
        if (!b) return std::nullopt;
        return b[0];
    }
    std::optional<unsigned> le16(std::uint64_t at) { return field(at, 2, false); }
    std::optional<unsigned> be16(std::uint64_t at) { return field(at, 2, true); }
    std::optional<std::uint32_t> le32(std::uint64_t at) { return field(at, 4, false); }
    std::optional<std::uint32_t> be32(std::uint64_t at) { return field(at, 4, true); }

private:
    std::optional<std::uint32_t> field(std::uint64_t at, int n, bool big) {
        const unsigned char* b = bytes(at, std::size_t(n));
        if (!b) return std::nullopt;
        return value_of(b, n, big);
    }

    const ReadAt& read_;
    const std::uint64_t size_;
    std::uint64_t start_ = 0;
    std::vector<unsigned char> window_;
};

bool refuse(std::string& why, const words::Text& text, std::initializer_list<std::string> values = {}) {
    why = words::say(text, values);
    return false;
}

bool truncated(std::string& why) { return refuse(why, words::kTruncated); }

std::string size_text(std::uint64_t w, std::uint64_t h) {
    return words::say(words::kPixelSize, {std::to_string(w), std::to_string(h)});
}

// A size a decode may be given: not empty, not beyond the limit, and not far
// beyond what `bytes` of the file can hold.
bool sane_size(std::uint64_t w, std::uint64_t h, std::uint64_t bytes, std::string& why) {
    if (w == 0 || h == 0) return refuse(why, words::kSizeUnreadable);
    if (w > kMaxHeaderPixels || h > kMaxHeaderPixels || w * h > kMaxHeaderPixels)
        return refuse(why, words::kTooLarge, {size_text(w, h)});
    if (w * h > kBombCheckPixels && w * h / kPixelsPerByte > bytes)
        return refuse(why, words::kHeaderClaims, {size_text(w, h), std::to_string(bytes)});
    return true;
}

bool set_size(PictureHeader& out, std::uint64_t w, std::uint64_t h, std::uint64_t bytes, std::string& why) {
    if (!sane_size(w, h, bytes, why)) return false;
    out.width = out.frame_width = int(w);
    out.height = out.frame_height = int(h);
    return true;
}

std::uint64_t pixels(const PictureHeader& h) { return std::uint64_t(h.width) * std::uint64_t(h.height); }

bool read_bmp(Source& s, PictureHeader& out, std::string& why) {
    const auto offset = s.le32(10);
    const auto info = s.le32(14);
    if (!offset || !info) return truncated(why);
    std::int64_t w = 0, h = 0;
    unsigned bits = 0, compression = 0;
    if (*info == 12) {  // the old OS/2 header: 16-bit sizes
        const auto w16 = s.le16(18), h16 = s.le16(20), b = s.le16(24);
        if (!w16 || !h16 || !b) return truncated(why);
        w = *w16, h = *h16, bits = *b;
    } else if (*info >= 40 && *info <= 124) {
        const auto w32 = s.le32(18), h32 = s.le32(22), b = s.le16(28), c = s.le32(30);
        if (!w32 || !h32 || !b || !c) return truncated(why);
        w = std::int32_t(*w32), h = std::int32_t(*h32), bits = *b, compression = *c;
    } else {
        return refuse(why, words::kBitmapHeaderUnknown);
    }
    if (w < 0) return refuse(why, words::kSizeUnreadable);
    h = h < 0 ? -h : h;  // a top-down bitmap tells a negative height
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return refuse(why, words::kBitsPerPixel, {std::to_string(bits)});
    const bool plain = compression == 0 || compression == 3 || compression == 6;  // RGB or bit fields
    if (!plain && compression != 1 && compression != 2) return refuse(why, words::kCompressionUnknown);
    if (!set_size(out, std::uint64_t(w), std::uint64_t(h), s.size(), why)) return false;
    // Uncompressed rows are padded to four bytes; every row must be there.
    const std::uint64_t row_bytes = (std::uint64_t(w) * bits + 31) / 32 * 4;
    if (plain && !s.has(*offset, row_bytes * std::uint64_t(h))) return truncated(why);
    out.kind = PictureKind::Bmp;
    out.decoder_bytes = pixels(out) * 4;
    return true;
}

// Skips a GIF's data sub-blocks; the offset after the terminator, or nothing.
std::optional<std::uint64_t> skip_sub_blocks(Source& s, std::uint64_t at) {
    for (;;) {
        const auto n = s.u8(at);
        if (!n) return std::nullopt;
        at += 1 + *n;
        if (*n == 0) return at;
    }
}

std::uint64_t colour_table_bytes(unsigned flags) { return (flags & 0x80) ? 3u << ((flags & 7) + 1) : 0; }

// The logical screen and its first frame; every frame is walked, since a
// decoder may hold them all (one byte a pixel).
bool read_gif(Source& s, PictureHeader& out, std::string& why) {
    const auto sw = s.le16(6), sh = s.le16(8), flags = s.u8(10);
    if (!sw || !sh || !flags) return truncated(why);
    std::uint64_t at = 13 + colour_table_bytes(*flags);
    std::uint64_t frame_pixels = 0;
    bool first = true;
    unsigned fw = 0, fh = 0;
    for (;;) {
        const auto block = s.u8(at);
        if (!block || *block == 0x3B) break;  // the end, or the trailer
        if (*block == 0x21) {                 // an extension: its label, then sub-blocks
            const auto next = skip_sub_blocks(s, at + 2);
            if (!next) break;
            at = *next;
        } else if (*block == 0x2C) {  // an image: its descriptor, colours, code size, data
            const auto left = s.le16(at + 1), top = s.le16(at + 3), w = s.le16(at + 5), h = s.le16(at + 7);
            const auto image_flags = s.u8(at + 9);
            if (!left || !top || !w || !h || !image_flags) break;
            if (std::uint64_t(*w) * *h > kMaxHeaderPixels)
                return refuse(why, words::kTooLarge, {size_text(*w, *h)});
            if (first) out.frame_left = int(*left), out.frame_top = int(*top), fw = *w, fh = *h;
            first = false;
            frame_pixels += std::uint64_t(*w) * *h;
            const auto next = skip_sub_blocks(s, at + 10 + colour_table_bytes(*image_flags) + 1);
            if (!next) break;
            at = *next;
        } else {
            break;  // anything else ends what decoders read
        }
    }
    if (first) return truncated(why);
    if (frame_pixels > kBombCheckPixels && frame_pixels / kPixelsPerByte > s.size())
        return refuse(why, words::kFramesClaim, {std::to_string(frame_pixels), std::to_string(s.size())});
    // A screen of no size is the first frame's.
    const std::uint64_t w = *sw ? *sw : std::uint64_t(out.frame_left) + fw;
    const std::uint64_t h = *sh ? *sh : std::uint64_t(out.frame_top) + fh;
    if (!set_size(out, w, h, s.size(), why)) return false;
    out.kind = PictureKind::Gif;
    out.frame_width = int(fw);
    out.frame_height = int(fh);
    // Every frame (a byte a pixel), the first one's rows and the screen
    // they are placed on, and its copy when that is scaled.
    out.decoder_bytes = frame_pixels + std::uint64_t(fw) * fh * 4 + pixels(out) * 8;
    return true;
}

// The orientation tag of an EXIF block's first directory; 1 when it has none.
unsigned exif_orientation(const unsigned char* tiff, std::size_t size) {
    if (size < 8) return 1;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I')) return 1;
    const auto field = [&](std::size_t at, int n) -> std::optional<std::uint32_t> {
        if (at > size || std::size_t(n) > size - at) return std::nullopt;
        return value_of(tiff + at, n, big);
    };
    const auto ifd = field(4, 4);
    const auto count = ifd ? field(*ifd, 2) : std::nullopt;
    if (field(2, 2) != 42u || !count) return 1;
    for (std::uint32_t k = 0; k < *count; ++k) {
        const std::size_t entry = std::size_t(*ifd) + 2 + 12 * std::size_t(k);
        const auto tag = field(entry, 2);
        if (!tag) return 1;
        if (*tag != 0x0112) continue;
        const auto value = field(entry + 8, 2);
        if (field(entry + 2, 2) != 3u || !value || *value < 1 || *value > 8) return 1;
        return *value;
    }
    return 1;
}

bool is_frame_marker(unsigned m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }

// Walks the segments up to the frame header, taking the orientation from the
// EXIF block on the way.
bool read_jpeg(Source& s, PictureHeader& out, std::string& why) {
    std::uint64_t at = 2;
    bool exif_seen = false;
    for (;;) {
        const auto ff = s.u8(at), marker = s.u8(at + 1);
        if (!ff || !marker) return truncated(why);
        if (*ff != 0xFF) return refuse(why, words::kHeaderDamaged);
        if (*marker == 0xFF) {  // a fill byte
            ++at;
            continue;
        }
        if (*marker == 0x01 || (*marker >= 0xD0 && *marker <= 0xD7)) {  // markers without a length
            at += 2;
            continue;
        }
        if (*marker == 0xDA || *marker == 0xD9) return refuse(why, words::kNoFrameHeader);
        const auto length = s.be16(at + 2);
        if (!length) return truncated(why);
        if (*length < 2) return refuse(why, words::kHeaderDamaged);
        const std::uint64_t body = at + 4, body_bytes = *length - 2;
        if (!s.has(body, body_bytes)) return truncated(why);
        if (*marker == 0xE1 && !exif_seen && body_bytes >= 8) {
            const unsigned char* b = s.bytes(body, std::size_t(body_bytes));
            if (b && std::memcmp(b, "Exif\0\0", 6) == 0) {
                exif_seen = true;
                out.orientation = exif_orientation(b + 6, std::size_t(body_bytes) - 6);
            }
        }
        if (is_frame_marker(*marker)) {
            const auto h = s.be16(body + 1), w = s.be16(body + 3), components = s.u8(body + 5);
            if (body_bytes < 6 || !h || !w || !components) return refuse(why, words::kFrameHeaderDamaged);
            if (!set_size(out, *w, *h, s.size(), why)) return false;
            out.kind = PictureKind::Jpeg;
            // The decoded samples, and a progressive picture's coefficients
            // (16 bits a sample) kept whole until its last scan.
            const bool progressive = *marker == 0xC2 || *marker == 0xC6 || *marker == 0xCA || *marker == 0xCE;
            const std::uint64_t per_pixel = 4 + (progressive ? 2 * std::uint64_t(*components) : 0);
            out.decoder_bytes = pixels(out) * per_pixel;
            return true;
        }
        at = body + body_bytes;
    }
}

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool is_png_at(Source& s, std::uint64_t at) {
    const unsigned char* b = s.bytes(at, sizeof kPngSignature);
    return b && std::memcmp(b, kPngSignature, sizeof kPngSignature) == 0;
}

// A PNG's size from its header chunk at `at`.
std::optional<std::pair<std::uint64_t, std::uint64_t>> png_size(Source& s, std::uint64_t at) {
    const auto w = s.be32(at + 16), h = s.be32(at + 20);
    if (!w || !h) return std::nullopt;
    return std::pair<std::uint64_t, std::uint64_t>(*w, *h);
}

bool read_png(Source& s, PictureHeader& out, std::string& why) {
    const auto size = png_size(s, 0);
    if (!size) return truncated(why);
    if (!set_size(out, size->first, size->second, s.size(), why)) return false;
    out.kind = PictureKind::Png;
    out.decoder_bytes = pixels(out) * 8;  // 16-bit samples with alpha
    return true;
}

// An icon's largest image, by the size its own header tells (the directory's
// one-byte sizes may lie): a PNG's, or a bitmap's, whose height counts its mask too.
bool read_ico(Source& s, PictureHeader& out, std::string& why) {
    const auto count = s.le16(4);
    if (!count || *count == 0) return refuse(why, words::kHoldsNoImage);
    if (!s.has(6, 16 * std::uint64_t(*count))) return truncated(why);
    std::uint64_t best_w = 0, best_h = 0, best_bytes = 0;
    int best = -1;
    for (unsigned i = 0; i < *count; ++i) {
        const std::uint64_t entry = 6 + 16 * std::uint64_t(i);
        const auto bytes = s.le32(entry + 8), offset = s.le32(entry + 12);
        if (!bytes || !offset || *bytes < 24 || !s.has(*offset, *bytes)) continue;
        // The first bytes of the image: a PNG's signature and header chunk,
        // or a bitmap's header.
        unsigned char head[24];
        if (!s.copy(*offset, sizeof head, head)) continue;
        std::int64_t w = 0, h = 0;
        if (std::memcmp(head, kPngSignature, sizeof kPngSignature) == 0) {
            w = value_of(head + 16, 4, true), h = value_of(head + 20, 4, true);
        } else {
            const std::uint32_t info = value_of(head, 4, false);
            if (info < 40 || info > 124) continue;
            w = std::int32_t(value_of(head + 4, 4, false)), h = std::int32_t(value_of(head + 8, 4, false));
            h = (h < 0 ? -h : h) / 2;
        }
        if (w <= 0 || h <= 0) continue;
        if (std::uint64_t(w) * std::uint64_t(h) > best_w * best_h) {
            best = int(i), best_w = std::uint64_t(w), best_h = std::uint64_t(h), best_bytes = *bytes;
        }
    }
    if (best < 0) return refuse(why, words::kNoReadableImage);
    if (!set_size(out, best_w, best_h, best_bytes, why)) return false;
    out.kind = PictureKind::Ico;
    out.image_index = best;
    out.decoder_bytes = pixels(out) * 8;  // an image inside may be a 16-bit PNG
    return true;
}

}  // namespace

bool read_picture_header(const ReadAt& read, std::uint64_t file_size, PictureHeader& out, std::string& why) {
    Source s(read, file_size);
    out = PictureHeader{};
    const unsigned char* magic = s.bytes(0, 6);
    if (!magic) return refuse(why, file_size == 0 ? words::kEmpty : words::kTooShort);
    if (magic[0] == 'B' && magic[1] == 'M') return read_bmp(s, out, why);
    if (std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0) return read_gif(s, out, why);
    if (magic[0] == 0xFF && magic[1] == 0xD8) return read_jpeg(s, out, why);
    if (is_png_at(s, 0)) return read_png(s, out, why);
    if (magic[0] == 0 && magic[1] == 0 && (magic[2] == 1 || magic[2] == 2) && magic[3] == 0)
        return read_ico(s, out, why);
    return refuse(why, words::kUnknownKind);
}

}  // namespace platform
