#pragma once
// Picture files made in code: every format the program reads, and broken and hostile ones.
#include <QColor>
#include <QImage>
#include <QSize>

#include <string>
#include <vector>

namespace test_support {

// Red grows left to right, green top to bottom: orientation and scaling mistakes show.
QImage pattern_image(int width, int height);

// A picture in one colour.
QImage solid_image(int width, int height, QColor colour);

// The bytes of a picture encoded by Qt ("JPEG", "PNG", "BMP").
std::string encode_with_qt(const QImage& image, const char* format, int quality = 90);

std::string jpeg_bytes(int width, int height);
std::string png_bytes(int width, int height);
std::string bmp_bytes(int width, int height);

// A GIF of the pattern written by hand (Qt has no GIF writer), 3-3-2 palette.
std::string gif_bytes(int width, int height);

// A GIF whose header claims the given size but that holds only a few pixels.
std::string gif_claiming_size(int width, int height);

// An icon file with one 32-bit entry per image, in the given order.
std::string ico_bytes(const std::vector<QImage>& images);

// A JPEG with an EXIF block in either byte order: the orientation (1..8) and, unless null, `thumb`.
std::string jpeg_with_exif(const QImage& picture, unsigned orientation, const QImage& thumb = {}, bool big = true);
inline std::string jpeg_with_orientation(int width, int height, unsigned orientation) {
    return jpeg_with_exif(pattern_image(width, height), orientation);
}

}  // namespace test_support
