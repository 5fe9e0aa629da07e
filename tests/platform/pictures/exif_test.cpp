// The cameras' own small copies used for cells when they fit.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include <string>
#include <utility>

#include "platform/pictures/cell_picture.h"
#include "platform/pictures/picture_data.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace {

// A JPEG of `picture` whose EXIF block, in either byte order, holds the
// orientation and `thumb` as its thumbnail.
std::string camera_jpeg(const QImage& picture, const QImage& thumb, unsigned orientation, bool big) {
    const std::string small = test_support::encode_with_qt(thumb, "JPEG");
    std::string tiff = big ? "MM" : "II";
    const std::pair<unsigned, int> fields[] = {  // (value, bytes)
        {42, 2}, {8, 4},                          // IFD0 at 8: the orientation, a short, then IFD1 at 26
        {1, 2}, {0x0112, 2}, {3, 2}, {1, 4}, {orientation, 2}, {0, 2}, {26, 4},
        {2, 2}, {0x0201, 2}, {4, 2}, {1, 4}, {56, 4},  // IFD1: the thumbnail at 56, and its length
        {0x0202, 2}, {4, 2}, {1, 4}, {static_cast<unsigned>(small.size()), 4}, {0, 4}};
    for (const auto& [v, bytes] : fields)
        for (int k = 0; k < bytes; ++k) tiff += char(v >> 8 * (big ? bytes - 1 - k : k));
    const auto length = static_cast<unsigned>(tiff.size() + small.size() + 8);
    std::string file = test_support::encode_with_qt(picture, "JPEG");
    file.insert(2, "\xFF\xE1" + std::string{char(length >> 8), char(length & 0xff)} + std::string("Exif\0\0", 6) +
                       tiff + small);
    return file;
}

// A 160 x 120 thumbnail, red on the left and blue on the right.
QImage red_blue() {
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 80, 120, Qt::red);
    return image;
}

// A cell's colour at a fraction of its width and height: the pictures are
// blue, the thumbnails' left halves red.
QColor at(const platform::Picture& cell, double fx, double fy) {
    const QImage& image = cell.data()->image;
    return image.pixelColor(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
}

TEST(ExifThumbnail, UsedWhenItHasThePicturesShapeAndTurnedUprightElseThePictureIsDecoded) {
    test_support::TempDir dir;
    const QImage picture = test_support::solid_image(800, 600, Qt::blue);
    for (bool big : {true, false}) {
        // Orientation 6: a quarter turn clockwise, so the red left half goes on top.
        const std::string path = dir.write_file(big ? "mm.jpg" : "ii.jpg", camera_jpeg(picture, red_blue(), 6, big));
        const platform::Picture cell = platform::load_cell_picture(path, 49, 49);
        EXPECT_EQ(cell.width_px(), 49);
        EXPECT_GT(at(cell, 0.5, 0.1).red(), 180) << big;  // the thumbnail, not the blue picture
        EXPECT_GT(at(cell, 0.5, 0.9).blue(), 180) << big;
    }
    // A 4:3 thumbnail in a 3:2 picture, and a first IFD offset pointing far
    // outside the block: the picture itself is decoded.
    std::string broken = camera_jpeg(picture, red_blue(), 1, true);
    broken[2 + 4 + 6 + 4] = '\x7f';
    for (const std::string& bytes :
         {camera_jpeg(test_support::solid_image(900, 600, Qt::blue), red_blue(), 1, true), broken}) {
        const std::string path = dir.write_file("other.jpg", bytes);
        EXPECT_GT(at(platform::load_cell_picture(path, 49, 49), 0.25, 0.5).blue(), 180);
    }
}

}  // namespace
