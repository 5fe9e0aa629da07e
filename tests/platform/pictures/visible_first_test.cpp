// Large JPEGs at their own size come with the part that fits on screen
// decoded first; the rest follows on a thread of its own and must give the
// very pixels of a whole decode, from the file that was opened.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/pictures/decode_budget.h"
#include "platform/pictures/picture_data.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

using platform::Picture;
namespace ts = test_support;

namespace {

class VisibleFirst : public ::testing::Test {
protected:
    void SetUp() override { platform::set_visible_part(200, 100); }
    void TearDown() override { platform::configure_picture_decoding(); }
    ts::TempDir dir_;
};

QImage decoded_whole(const std::string& bytes) {
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

TEST_F(VisibleFirst, APictureComesPartFirstOnlyWhenThatSavesMuchAndCompletesToTheWholeDecode) {
    const struct Case {
        const char* what;
        std::string bytes;
        bool part_first;
    } cases[] = {
        {"a JPEG many times the part", ts::jpeg_bytes(1200, 900), true},
        {"a JPEG under twice the part", ts::jpeg_bytes(250, 100), false},
        {"a PNG many times the part", ts::png_bytes(1200, 900), false},
        {"a JPEG turned by its EXIF orientation", ts::jpeg_with_orientation(1200, 900, 6), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir_.write_file("picture", c.bytes);
        const Picture picture = platform::load_picture(path);
        const QImage want = decoded_whole(c.bytes);
        EXPECT_EQ(QSize(picture.width_px(), picture.height_px()), want.size());
        const platform::PictureData& data = *picture.data();
        EXPECT_EQ(data.image.size(), c.part_first ? QSize(200, 100) : want.size());
        // Drawing inside the part needs nothing more; beyond it, the whole.
        EXPECT_EQ(data.covering(QRect(10, 10, 50, 50)).size(), data.image.size());
        EXPECT_EQ(data.covering(QRect(150, 50, 100, 100)), want);
        EXPECT_EQ(data.image, want.copy(data.image.rect()));
        // A saved bitmap holds the whole picture.
        platform::save_picture_bmp(picture, dir_.file("saved.bmp"));
        EXPECT_EQ(QImage(QString::fromStdString(dir_.file("saved.bmp"))).convertToFormat(QImage::Format_RGB32), want);
    }
}

TEST_F(VisibleFirst, TheRestComesFromTheFileOpenedAndDroppingThePictureGivesItsMemoryBack) {
    const std::string first = ts::jpeg_bytes(1200, 900);
    const std::string other = ts::encode_with_qt(ts::solid_image(1200, 900, Qt::blue), "JPEG");
    const std::string path = dir_.write_file("photo.jpg", first);
    {
        const Picture picture = platform::load_picture(path);
        ASSERT_TRUE(picture.data()->rest);
        // Deleted and replaced under the same name while the rest decodes, as
        // a Delete, a rename or an editor might.
        ASSERT_EQ(std::remove(path.c_str()), 0);
        dir_.write_file("photo.jpg", other);
        EXPECT_EQ(picture.data()->whole(), decoded_whole(first));
    }
    // Pictures dropped at once, their rest queued or decoding: every byte
    // they reserved is given back without anyone waiting for them.
    for (int i = 0; i < 4; ++i) platform::load_picture(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (platform::decode_budget().in_use() != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(platform::decode_budget().in_use(), 0u);
}

}  // namespace
