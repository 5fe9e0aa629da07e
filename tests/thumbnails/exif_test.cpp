// The cameras' own small copies used for cells when they fit.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <string>

#include "platform/cell_picture.h"
#include "platform/picture_data.h"
#include "support/temp_dir.h"

namespace {

std::string encode(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes.toStdString();
}

void put16(std::string& b, unsigned v, bool big) {
    b += char(big ? v >> 8 : v & 0xff);
    b += char(big ? v & 0xff : v >> 8);
}
void put32(std::string& b, unsigned v, bool big) {
    put16(b, big ? v >> 16 : v & 0xffff, big);
    put16(b, big ? v & 0xffff : v >> 16, big);
}
void entry(std::string& b, unsigned tag, unsigned type, unsigned value, bool big) {
    put16(b, tag, big);
    put16(b, type, big);
    put32(b, 1, big);
    if (type == 3) {
        put16(b, value, big);
        put16(b, 0, big);
    } else {
        put32(b, value, big);
    }
}

// A JPEG of `picture` carrying `thumb` as its EXIF thumbnail and the given
// orientation, in either byte order.
std::string camera_jpeg(const QImage& picture, const QImage& thumb, unsigned orientation, bool big) {
    const std::string thumb_bytes = encode(thumb);
    std::string tiff = big ? "MM" : "II";
    put16(tiff, 42, big);
    put32(tiff, 8, big);
    put16(tiff, 1, big);
    entry(tiff, 0x0112, 3, orientation, big);
    const unsigned ifd1 = 8 + 2 + 12 + 4;
    put32(tiff, ifd1, big);
    put16(tiff, 2, big);
    entry(tiff, 0x0201, 4, ifd1 + 2 + 2 * 12 + 4, big);
    entry(tiff, 0x0202, 4, static_cast<unsigned>(thumb_bytes.size()), big);
    put32(tiff, 0, big);
    tiff += thumb_bytes;
    std::string segment = "\xFF\xE1";
    put16(segment, static_cast<unsigned>(tiff.size() + 8), true);
    segment += std::string("Exif\0\0", 6) + tiff;
    std::string file = encode(picture);
    file.insert(2, segment);
    return file;
}

QImage halves(int w, int h, QColor left, QColor right) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h, left);
    p.fillRect(w / 2, 0, w - w / 2, h, right);
    return image;
}

QColor at(const platform::Picture& picture, double fx, double fy) {
    const QImage& image = picture.data()->image;
    return image.pixelColor(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
}

bool reddish(QColor c) { return c.red() > 180 && c.blue() < 80; }
bool bluish(QColor c) { return c.blue() > 180 && c.red() < 80; }

TEST(ExifThumbnail, UsedWhenItHasThePicturesShapeAndTurnedUpright) {
    test_support::TempDir dir;
    const QImage picture = halves(800, 600, Qt::blue, Qt::blue);
    for (bool big : {true, false}) {
        const std::string path = dir.write_file(big ? "mm.jpg" : "ii.jpg",
                                                camera_jpeg(picture, halves(160, 120, Qt::red, Qt::blue), 1, big));
        const platform::Picture cell = platform::load_cell_picture(path, 49, 49);
        EXPECT_EQ(cell.width_px(), 49);
        EXPECT_EQ(cell.height_px(), 49);
        EXPECT_TRUE(reddish(at(cell, 0.1, 0.5))) << big;  // the thumbnail, not the blue picture
        EXPECT_TRUE(bluish(at(cell, 0.9, 0.5))) << big;
    }
    // Orientation 6: a quarter turn clockwise, so the left half goes on top.
    const std::string turned =
        dir.write_file("turned.jpg", camera_jpeg(picture, halves(160, 120, Qt::red, Qt::blue), 6, true));
    const platform::Picture cell = platform::load_cell_picture(turned, 49, 49);
    EXPECT_TRUE(reddish(at(cell, 0.5, 0.1)));
    EXPECT_TRUE(bluish(at(cell, 0.5, 0.9)));
}

TEST(ExifThumbnail, PictureDecodedWhenTheThumbnailDiffersInShapeOrIsTooSmall) {
    test_support::TempDir dir;
    const QImage picture = halves(900, 600, Qt::blue, Qt::blue);  // 3:2, thumbnail 4:3
    const std::string other_shape =
        dir.write_file("a.jpg", camera_jpeg(picture, halves(160, 120, Qt::red, Qt::red), 1, true));
    EXPECT_TRUE(bluish(at(platform::load_cell_picture(other_shape, 49, 49), 0.5, 0.5)));
    const std::string small =
        dir.write_file("b.jpg", camera_jpeg(halves(800, 600, Qt::blue, Qt::blue), halves(40, 30, Qt::red, Qt::red), 1, true));
    EXPECT_TRUE(bluish(at(platform::load_cell_picture(small, 49, 49), 0.5, 0.5)));
    // A broken EXIF block is passed over.
    std::string broken = camera_jpeg(halves(800, 600, Qt::blue, Qt::blue), halves(160, 120, Qt::red, Qt::red), 1, true);
    broken[2 + 4 + 6 + 4] = '\x7f';  // the first IFD's offset points far outside
    const std::string broken_path = dir.write_file("c.jpg", broken);
    EXPECT_TRUE(bluish(at(platform::load_cell_picture(broken_path, 49, 49), 0.5, 0.5)));
}

}  // namespace
