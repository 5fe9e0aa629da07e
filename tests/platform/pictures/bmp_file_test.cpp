// The preview bitmap's bytes: the same file, byte for byte, as the bitmap
// Qt's own writer makes, for every row padding and for pictures with
// transparency and a resolution of their own.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <string>

#include "platform/core/error.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/picture_data.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace ts = test_support;

namespace {

// How the picture was saved before: Qt's bitmap writer, row by row.
std::string written_by_qt(const platform::Picture& picture) {
    const QImage rgb = picture.data()->image.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(rgb.save(&buffer, "BMP"));
    return bytes.toStdString();
}

QImage translucent(int width, int height) {
    QImage image = ts::pattern_image(width, height).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (image.pixel(x, y) & 0xffffff) | (uint((x * 37 + y) % 256) << 24));
    return image;
}

TEST(BmpFile, IsTheBitmapQtsWriterMakes) {
    ts::TempDir dir;
    const std::string path = dir.file("preview.bmp");
    // Widths 1 to 5 need every padding from 0 to 3 bytes a row.
    for (const QSize size :
         {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(4, 1), QSize(5, 7), QSize(13, 4), QSize(640, 3)}) {
        QImage dense = ts::pattern_image(size.width(), size.height());
        dense.setDotsPerMeterX(5906);  // 150 DPI
        dense.setDotsPerMeterY(3937);
        for (const QImage& image :
             {ts::pattern_image(size.width(), size.height()), dense, translucent(size.width(), size.height())}) {
            SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                         (image.hasAlphaChannel() ? " translucent" : "") + " dpm " +
                         std::to_string(image.dotsPerMeterX()));
            const platform::Picture picture = platform::picture_from_image(image);
            platform::save_picture_bmp(picture, path);
            EXPECT_EQ(ts::read_file_bytes(path), written_by_qt(picture));
        }
    }
    // A decoded JPEG carries the resolution of its file.
    const std::string photo = dir.write_file("photo.jpg", ts::jpeg_bytes(31, 9));
    const platform::Picture decoded = platform::load_picture(photo);
    platform::save_picture_bmp(decoded, path);
    EXPECT_EQ(ts::read_file_bytes(path), written_by_qt(decoded));
}

}  // namespace
