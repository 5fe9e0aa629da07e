#include "support/pictures.h"

#include <QBuffer>
#include <QByteArray>

#include <stdexcept>
#include <utility>

namespace test_support {
namespace {

// Appends `bytes` bytes of v, least significant first unless `big`.
void put(std::string& out, unsigned v, int bytes, bool big = false) {
    for (int k = 0; k < bytes; ++k) out += static_cast<char>(v >> 8 * (big ? bytes - 1 - k : k));
}

// LZW data of 9-bit codes, LSB first, with a clear code before the decoder's table could fill.
std::string gif_image_data(const std::vector<unsigned char>& indices) {
    constexpr unsigned kClear = 256, kEnd = 257;
    std::string lzw;
    unsigned bits = 0;
    int count = 0;
    auto code = [&](unsigned c) {
        bits |= c << count;
        for (count += 9; count >= 8; count -= 8, bits >>= 8) lzw += static_cast<char>(bits & 0xff);
    };
    code(kClear);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i > 0 && i % 200 == 0) code(kClear);
        code(indices[i]);
    }
    code(kEnd);
    if (count > 0) lzw += static_cast<char>(bits & 0xff);
    std::string out(1, '\x08');  // minimum code size
    for (std::size_t at = 0; at < lzw.size(); at += 255) {
        const std::string block = lzw.substr(at, 255);
        out += static_cast<char>(block.size()) + block;
    }
    return out + '\0';
}

std::string gif_file(int width, int height, const std::vector<unsigned char>& indices) {
    std::string out = "GIF89a";
    put(out, static_cast<unsigned>(width), 2);
    put(out, static_cast<unsigned>(height), 2);
    out.append("\xF7\0\0", 3);  // global colour table of 256 entries
    for (int i = 0; i < 256; ++i)
        out += {static_cast<char>(((i >> 5) & 7) * 255 / 7), static_cast<char>(((i >> 2) & 7) * 255 / 7),
                static_cast<char>((i & 3) * 255 / 3)};
    out += ',';
    put(out, 0, 4);
    put(out, static_cast<unsigned>(width), 2);
    put(out, static_cast<unsigned>(height), 2);
    out += '\0';
    return out + gif_image_data(indices) + ';';
}

// A 32-bit icon image: header with doubled height, BGRA rows bottom-up, an all-opaque AND mask.
std::string icon_dib(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const unsigned w = static_cast<unsigned>(argb.width()), h = static_cast<unsigned>(argb.height());
    const unsigned mask_row = ((w + 31) / 32) * 4;
    std::string out;
    for (unsigned v : {40u, w, h * 2, 1u | 32u << 16, 0u, w * h * 4 + mask_row * h, 0u, 0u, 0u, 0u}) put(out, v, 4);
    for (int y = argb.height() - 1; y >= 0; --y)
        for (int x = 0; x < argb.width(); ++x) put(out, argb.pixel(x, y), 4);  // 0xAARRGGBB: B, G, R, A
    out.append(static_cast<std::size_t>(mask_row * h), '\0');
    return out;
}

}  // namespace

QImage pattern_image(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(width > 1 ? x * 255 / (width - 1) : 0, height > 1 ? y * 255 / (height - 1) : 0, 96));
    return image;
}

QImage solid_image(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

std::string encode_with_qt(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality)) throw std::runtime_error(std::string("cannot encode ") + format);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string jpeg_bytes(int width, int height) { return encode_with_qt(pattern_image(width, height), "JPEG"); }
std::string png_bytes(int width, int height) { return encode_with_qt(pattern_image(width, height), "PNG"); }
std::string bmp_bytes(int width, int height) { return encode_with_qt(pattern_image(width, height), "BMP"); }

std::string gif_bytes(int width, int height) {
    const QImage image = pattern_image(width, height);
    std::vector<unsigned char> indices;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb p = image.pixel(x, y);
            indices.push_back(static_cast<unsigned char>((qRed(p) >> 5) << 5 | (qGreen(p) >> 5) << 2 | qBlue(p) >> 6));
        }
    return gif_file(width, height, indices);
}

std::string gif_claiming_size(int width, int height) {
    return gif_file(width, height, std::vector<unsigned char>(64, 7));
}

std::string ico_bytes(const std::vector<QImage>& images) {
    std::string out, dibs;
    put(out, 0, 2);
    put(out, 1, 2);
    put(out, static_cast<unsigned>(images.size()), 2);
    for (const QImage& image : images) {
        const std::string dib = icon_dib(image);
        out += {static_cast<char>(image.width() >= 256 ? 0 : image.width()),
                static_cast<char>(image.height() >= 256 ? 0 : image.height()), '\0', '\0'};
        put(out, 1 | 32 << 16, 4);
        put(out, static_cast<unsigned>(dib.size()), 4);
        put(out, static_cast<unsigned>(6 + 16 * images.size() + dibs.size()), 4);
        dibs += dib;
    }
    return out + dibs;
}

std::string jpeg_with_exif(const QImage& picture, unsigned orientation, const QImage& thumb, bool big) {
    const std::string small = thumb.isNull() ? "" : encode_with_qt(thumb, "JPEG");
    std::string tiff = big ? "MM" : "II";
    const std::pair<unsigned, int> fields[] = {  // (value, bytes)
        {42, 2}, {8, 4},                          // IFD0 at 8: the orientation, a short, then IFD1 at 26
        {1, 2}, {0x0112, 2}, {3, 2}, {1, 4}, {orientation, 2}, {0, 2}, {small.empty() ? 0u : 26u, 4},
        {2, 2}, {0x0201, 2}, {4, 2}, {1, 4}, {56, 4},  // IFD1: the thumbnail at 56, and its length
        {0x0202, 2}, {4, 2}, {1, 4}, {static_cast<unsigned>(small.size()), 4}, {0, 4}};
    for (const auto& [v, bytes] : fields) put(tiff, v, bytes, big);
    const auto length = static_cast<unsigned>(tiff.size() + small.size() + 8);
    std::string file = encode_with_qt(picture, "JPEG");
    file.insert(2, "\xFF\xE1" + std::string{char(length >> 8), char(length & 0xff)} + std::string("Exif\0\0", 6) +
                       tiff + small);
    return file;
}

}  // namespace test_support
