#pragma once
// The bytes of an uncompressed 24-bit Windows bitmap file, made in one
// buffer of the file's exact size.
#include <QImage>

#include <string>

namespace platform {

// The picture, which must be Format_RGB32, as a bottom-up 24-bit bitmap with
// rows padded to four bytes; the resolution is the image's own, or 72 DPI
// when it has none.
std::string bmp_file_bytes(const QImage& rgb32);

}  // namespace platform
