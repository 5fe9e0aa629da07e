#include "support/pictures.h"

#include <QBuffer>
#include <QByteArray>

#include <stdexcept>

namespace test_support {
namespace {

void put16le(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
}

void put32le(std::string& out, unsigned v) {
    put16le(out, v & 0xffff);
    put16le(out, (v >> 16) & 0xffff);
}

void put16be(std::string& out, unsigned v) {
    out += static_cast<char>((v >> 8) & 0xff);
    out += static_cast<char>(v & 0xff);
}

// Writes LZW codes of a fixed width, least significant bit first.
class BitWriter {
public:
    void put(unsigned code, int width) {
        bits_ |= code << count_;
        count_ += width;
        while (count_ >= 8) {
            bytes_ += static_cast<char>(bits_ & 0xff);
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    std::string finish() {
        if (count_ > 0) bytes_ += static_cast<char>(bits_ & 0xff);
        return bytes_;
    }

private:
    std::string bytes_;
    unsigned bits_ = 0;
    int count_ = 0;
};

// LZW data that never grows the code table past 9 bits: a clear code before
// the decoder's table could fill.
std::string gif_image_data(const std::vector<unsigned char>& indices) {
    constexpr unsigned kClear = 256, kEnd = 257;
    constexpr int kWidth = 9;
    BitWriter writer;
    writer.put(kClear, kWidth);
    int since_clear = 0;
    for (unsigned char index : indices) {
        if (since_clear == 200) {
            writer.put(kClear, kWidth);
            since_clear = 0;
        }
        writer.put(index, kWidth);
        ++since_clear;
    }
    writer.put(kEnd, kWidth);
    const std::string lzw = writer.finish();
    std::string out(1, static_cast<char>(8));  // minimum code size
    for (std::size_t at = 0; at < lzw.size(); at += 255) {
        const std::string block = lzw.substr(at, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
    return out;
}

std::string gif_file(int width, int height, const std::vector<unsigned char>& indices) {
    std::string out = "GIF89a";
    put16le(out, static_cast<unsigned>(width));
    put16le(out, static_cast<unsigned>(height));
    out += static_cast<char>(0xF7);  // global colour table of 256 entries
    out += '\0';
    out += '\0';
    for (int i = 0; i < 256; ++i) {
        out += static_cast<char>(((i >> 5) & 7) * 255 / 7);
        out += static_cast<char>(((i >> 2) & 7) * 255 / 7);
        out += static_cast<char>((i & 3) * 255 / 3);
    }
    out += ',';
    put16le(out, 0);
    put16le(out, 0);
    put16le(out, static_cast<unsigned>(width));
    put16le(out, static_cast<unsigned>(height));
    out += '\0';
    out += gif_image_data(indices);
    out += ';';
    return out;
}

// A 32-bit icon image: header with doubled height, BGRA rows bottom-up, then
// an all-opaque AND mask.
std::string icon_dib(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const unsigned w = static_cast<unsigned>(argb.width()), h = static_cast<unsigned>(argb.height());
    const unsigned mask_row = ((w + 31) / 32) * 4;
    std::string out;
    put32le(out, 40);
    put32le(out, w);
    put32le(out, h * 2);
    put16le(out, 1);
    put16le(out, 32);
    put32le(out, 0);
    put32le(out, w * h * 4 + mask_row * h);
    for (int i = 0; i < 4; ++i) put32le(out, 0);
    for (int y = argb.height() - 1; y >= 0; --y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            out += static_cast<char>(qBlue(p));
            out += static_cast<char>(qGreen(p));
            out += static_cast<char>(qRed(p));
            out += static_cast<char>(qAlpha(p));
        }
    }
    out.append(static_cast<std::size_t>(mask_row * h), '\0');
    return out;
}

}  // namespace

QImage pattern_image(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(width > 1 ? x * 255 / (width - 1) : 0, height > 1 ? y * 255 / (height - 1) : 0, 96));
        }
    }
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
    indices.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = image.pixel(x, y);
            indices.push_back(static_cast<unsigned char>((qRed(p) >> 5) << 5 | (qGreen(p) >> 5) << 2 | qBlue(p) >> 6));
        }
    }
    return gif_file(width, height, indices);
}

std::string gif_claiming_size(int width, int height) {
    return gif_file(width, height, std::vector<unsigned char>(64, 7));
}

std::string ico_bytes(const std::vector<QImage>& images) {
    std::vector<std::string> dibs;
    for (const QImage& image : images) dibs.push_back(icon_dib(image));
    std::string out;
    put16le(out, 0);
    put16le(out, 1);
    put16le(out, static_cast<unsigned>(images.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out += static_cast<char>(images[i].width() >= 256 ? 0 : images[i].width());
        out += static_cast<char>(images[i].height() >= 256 ? 0 : images[i].height());
        out += '\0';
        out += '\0';
        put16le(out, 1);
        put16le(out, 32);
        put32le(out, static_cast<unsigned>(dibs[i].size()));
        put32le(out, offset);
        offset += static_cast<unsigned>(dibs[i].size());
    }
    for (const std::string& dib : dibs) out += dib;
    return out;
}

std::string jpeg_with_orientation(int width, int height, int orientation) {
    const std::string jpeg = jpeg_bytes(width, height);
    // APP1 "Exif": a big-endian TIFF header and one IFD holding tag 0x0112.
    std::string exif("Exif\0\0", 6);
    exif += "MM";
    put16be(exif, 0x2A);
    put16be(exif, 0);
    put16be(exif, 8);  // offset of the IFD
    put16be(exif, 1);  // one entry
    put16be(exif, 0x0112);
    put16be(exif, 3);  // SHORT
    put16be(exif, 0);
    put16be(exif, 1);  // count
    put16be(exif, static_cast<unsigned>(orientation));
    put16be(exif, 0);
    put16be(exif, 0);  // no next IFD
    put16be(exif, 0);
    std::string segment("\xFF\xE1", 2);
    put16be(segment, static_cast<unsigned>(exif.size() + 2));
    segment += exif;
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

std::string truncated(const std::string& bytes, std::size_t keep) { return bytes.substr(0, keep); }

}  // namespace test_support
