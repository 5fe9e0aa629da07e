#include "platform/pictures/exif_thumbnail.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QTransform>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/pictures/decode_budget.h"

namespace platform {
namespace {

// An embedded thumbnail fits in the 64 KB EXIF block; one that claims more
// pixels than this is not a thumbnail, whatever it holds.
constexpr qint64 kMaxThumbnailPixels = 2048 * 2048;

std::string read_head(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string head(kExifHeadBytes, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(fd, head.data() + got, head.size() - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    head.resize(got);
    return head;
}

class Bytes {
public:
    Bytes(const unsigned char* data, std::size_t size, bool big_endian = true)
        : data_(data), size_(size), big_(big_endian) {}
    bool has(std::size_t at, std::size_t n) const { return at <= size_ && n <= size_ - at; }
    std::optional<unsigned> u16(std::size_t at) const {
        if (!has(at, 2)) return std::nullopt;
        return big_ ? unsigned(data_[at] << 8 | data_[at + 1]) : unsigned(data_[at + 1] << 8 | data_[at]);
    }
    std::optional<std::uint32_t> u32(std::size_t at) const {
        auto hi = u16(big_ ? at : at + 2), lo = u16(big_ ? at + 2 : at);
        if (!hi || !lo) return std::nullopt;
        return std::uint32_t(*hi) << 16 | *lo;
    }
    const unsigned char* at(std::size_t offset) const { return data_ + offset; }

private:
    const unsigned char* data_;
    std::size_t size_;
    bool big_;
};

struct Found {
    std::size_t tiff = 0, tiff_size = 0;  // the EXIF block's TIFF data in the head
    unsigned width = 0, height = 0;       // the frame's stored size
};

// Walks the JPEG's segments up to the frame header.
std::optional<Found> scan(const Bytes& b) {
    if (b.u16(0) != 0xFFD8u) return std::nullopt;
    Found found;
    std::size_t at = 2;
    while (b.has(at, 4)) {
        if (*b.at(at) != 0xFF) return std::nullopt;
        const unsigned marker = *b.at(at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const unsigned length = *b.u16(at + 2);
        if (length < 2 || !b.has(at + 2, length)) return std::nullopt;
        const std::size_t body = at + 4;
        if (marker == 0xE1 && length >= 8 && std::memcmp(b.at(body), "Exif\0\0", 6) == 0 && found.tiff == 0) {
            found.tiff = body + 6;
            found.tiff_size = length - 8;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7) return std::nullopt;
            found.height = *b.u16(body + 1);
            found.width = *b.u16(body + 3);
            if (found.tiff == 0 || found.width == 0 || found.height == 0) return std::nullopt;
            return found;
        }
        if (marker == 0xDA) return std::nullopt;  // scan data before any frame header
        at += 2 + length;
    }
    return std::nullopt;
}

// Looks a tag up in one IFD; returns its value field's offset.
std::optional<std::size_t> find_tag(const Bytes& t, std::size_t ifd, unsigned tag) {
    const auto count = t.u16(ifd);
    if (!count) return std::nullopt;
    for (unsigned k = 0; k < *count; ++k) {
        const std::size_t entry = ifd + 2 + 12 * std::size_t(k);
        if (t.u16(entry) == tag) return entry + 8;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> long_or_short(const Bytes& t, std::size_t entry_value) {
    const auto type = t.u16(entry_value - 6);
    if (type == 3u) return t.u16(entry_value);
    if (type == 4u) return t.u32(entry_value);
    return std::nullopt;
}

QImage upright(const QImage& image, unsigned orientation) {
    switch (orientation) {
        case 2: return image.mirrored(true, false);
        case 3: return image.mirrored(true, true);
        case 4: return image.mirrored(false, true);
        case 5: return image.mirrored(false, true).transformed(QTransform().rotate(90));
        case 6: return image.transformed(QTransform().rotate(90));
        case 7: return image.mirrored(true, false).transformed(QTransform().rotate(90));
        case 8: return image.transformed(QTransform().rotate(270));
        default: return image;
    }
}

// Decodes the embedded JPEG within the decode budget, refusing sizes no
// thumbnail has.
QImage decode_thumbnail(const unsigned char* data, std::uint32_t length) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(length));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, "jpeg");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > kMaxThumbnailPixels) return {};
    DecodeBudget::Reservation reservation;
    // The decoded thumbnail, 32 bits a pixel.
    if (!decode_budget().reserve(std::uint64_t(size.width()) * std::uint64_t(size.height()) * 4, reservation)) return {};
    QImage image;
    if (!reader.read(&image)) return {};
    return image;
}

}  // namespace

QImage exif_thumbnail_covering(const std::string& path, int box_width_px, int box_height_px) {
    return exif_thumbnail_in_head(read_head(path), box_width_px, box_height_px);
}

QImage exif_thumbnail_in_head(std::string_view head, int box_width_px, int box_height_px) {
    const Bytes file(reinterpret_cast<const unsigned char*>(head.data()), head.size());
    const auto found = scan(file);
    if (!found || found->tiff_size < 8) return {};
    const unsigned char* tiff_data = file.at(found->tiff);
    const bool big = tiff_data[0] == 'M' && tiff_data[1] == 'M';
    if (!big && !(tiff_data[0] == 'I' && tiff_data[1] == 'I')) return {};
    const Bytes t(tiff_data, found->tiff_size, big);
    if (t.u16(2) != 42u) return {};
    const auto ifd0 = t.u32(4);
    if (!ifd0 || !t.has(*ifd0, 2)) return {};
    unsigned orientation = 1;
    if (auto o = find_tag(t, *ifd0, 0x0112)) orientation = t.u16(*o).value_or(1);
    const auto ifd0_count = t.u16(*ifd0);
    const auto ifd1 = t.u32(*ifd0 + 2 + 12 * std::size_t(*ifd0_count));
    if (!ifd1 || *ifd1 == 0 || !t.has(*ifd1, 2)) return {};
    const auto offset_entry = find_tag(t, *ifd1, 0x0201);
    const auto length_entry = find_tag(t, *ifd1, 0x0202);
    if (!offset_entry || !length_entry) return {};
    const auto offset = long_or_short(t, *offset_entry);
    const auto length = long_or_short(t, *length_entry);
    if (!offset || !length || *length == 0 || !t.has(*offset, *length)) return {};

    QImage thumb = decode_thumbnail(t.at(*offset), *length);
    if (thumb.isNull()) return {};
    // Same shape as the picture, within 1%, or cameras' letterboxed
    // thumbnails of other shapes would show bars.
    const double thumb_cross = double(thumb.width()) * found->height;
    const double picture_cross = double(thumb.height()) * found->width;
    if (std::abs(thumb_cross - picture_cross) > 0.01 * picture_cross) return {};
    thumb = upright(thumb, orientation);
    if (thumb.width() < box_width_px || thumb.height() < box_height_px) return {};
    return thumb;
}

}  // namespace platform
