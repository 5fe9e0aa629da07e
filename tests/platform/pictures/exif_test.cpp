// The cameras' own small copies used for cells when they fit.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include "platform/pictures/cell_picture.h"
#include "platform/pictures/picture_data.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

namespace {

// A 160 x 120 thumbnail, red on the left and blue on the right.
QImage red_blue() {
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, 80, 120, Qt::red);
    return image;
}

// A cell's colour at a fraction of its size: the pictures are blue, the thumbnails' left halves red.
QColor at(const platform::Picture& cell, double fx, double fy) {
    const QImage& image = cell.data()->image;
    return image.pixelColor(int(fx * (image.width() - 1)), int(fy * (image.height() - 1)));
}

TEST(ExifThumbnail, UsedWhenItHasThePicturesShapeAndTurnedUprightElseThePictureIsDecoded) {
    test_support::TempDir dir;
    const QImage picture = test_support::solid_image(800, 600, Qt::blue);
    for (bool big : {true, false}) {
        // Orientation 6: a quarter turn clockwise, so the red left half goes on top.
        const std::string path = dir.write_file(big ? "mm.jpg" : "ii.jpg", test_support::jpeg_with_exif(picture, 6, red_blue(), big));
        const platform::Picture cell = platform::load_cell_picture(path, 49, 49);
        EXPECT_EQ(cell.width_px(), 49);
        EXPECT_GT(at(cell, 0.5, 0.1).red(), 180) << big;  // the thumbnail, not the blue picture
        EXPECT_GT(at(cell, 0.5, 0.9).blue(), 180) << big;
    }
    // A 4:3 thumbnail in a 3:2 picture, and a first IFD far outside the block: the picture is decoded.
    std::string broken = test_support::jpeg_with_exif(picture, 1, red_blue());
    broken[2 + 4 + 6 + 4] = '\x7f';
    for (const std::string& bytes :
         {test_support::jpeg_with_exif(test_support::solid_image(900, 600, Qt::blue), 1, red_blue()), broken}) {
        const std::string path = dir.write_file("other.jpg", bytes);
        EXPECT_GT(at(platform::load_cell_picture(path, 49, 49), 0.25, 0.5).blue(), 180);
    }
}

}  // namespace
