// Picture loading: every format at its upright size, icons' largest image,
// reduced copies, hostile files refused with 481, and bitmaps written.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <sys/stat.h>

#include <thread>

#include "platform/error.h"
#include "platform/picture.h"
#include "platform/picture_data.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

using platform::Picture;
using test_support::TempDir;
namespace err = platform::err;
namespace ts = test_support;

namespace {

class Pictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platform::configure_picture_decoding(); }

    // The error number of loading a file, 0 when it loads.
    static int load_error(const std::string& path) {
        try {
            platform::load_picture(path);
        } catch (const platform::Error& e) {
            return e.number();
        }
        return 0;
    }

    static QRgb pixel(const Picture& p, int x, int y) { return p.data()->image.pixel(x, y); }

    TempDir dir_;
};

void expect_size(const Picture& p, int width, int height) {
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.width_px(), width);
    EXPECT_EQ(p.height_px(), height);
    const QImage::Format f = p.data()->image.format();
    EXPECT_TRUE(f == QImage::Format_RGB32 || f == QImage::Format_ARGB32_Premultiplied) << f;
}

TEST_F(Pictures, EachFormatLoadsAtItsOwnSize) {
    expect_size(platform::load_picture(dir_.write_file("a.jpg", ts::jpeg_bytes(40, 30))), 40, 30);
    expect_size(platform::load_picture(dir_.write_file("a.png", ts::png_bytes(41, 29))), 41, 29);
    expect_size(platform::load_picture(dir_.write_file("a.bmp", ts::bmp_bytes(33, 17))), 33, 17);
    expect_size(platform::load_picture(dir_.write_file("a.gif", ts::gif_bytes(25, 20))), 25, 20);
    expect_size(platform::load_picture(dir_.write_file("a.ico", ts::ico_bytes({ts::pattern_image(32, 32)}))), 32, 32);
}

TEST_F(Pictures, GifPixelsComeThrough) {
    const Picture p = platform::load_picture(dir_.write_file("g.gif", ts::gif_bytes(ts::pattern_image(300, 4))));
    expect_size(p, 300, 4);
    EXPECT_LT(qRed(pixel(p, 0, 0)), 40);
    EXPECT_GT(qRed(pixel(p, 299, 0)), 200);
    EXPECT_GT(qGreen(pixel(p, 0, 3)), 200);
}

TEST_F(Pictures, MislabelledFileLoadsByContent) {
    expect_size(platform::load_picture(dir_.write_file("really_png.jpg", ts::png_bytes(12, 9))), 12, 9);
    expect_size(platform::load_picture(dir_.write_file("really_jpeg.gif", ts::jpeg_bytes(14, 7))), 14, 7);
}

TEST_F(Pictures, ExifOrientationGivesTheUprightSizeAndPixels) {
    expect_size(platform::load_picture(dir_.write_file("o1.jpg", ts::jpeg_with_orientation(40, 20, 1))), 40, 20);
    expect_size(platform::load_picture(dir_.write_file("o3.jpg", ts::jpeg_with_orientation(40, 20, 3))), 40, 20);
    const Picture turned = platform::load_picture(dir_.write_file("o6.jpg", ts::jpeg_with_orientation(40, 20, 6)));
    expect_size(turned, 20, 40);
    // A quarter turn clockwise: the stored top-left corner (no red, no green)
    // is now top-right, the stored bottom-left (full green) top-left.
    EXPECT_LT(qRed(pixel(turned, 19, 0)) + qGreen(pixel(turned, 19, 0)), 80);
    EXPECT_GT(qGreen(pixel(turned, 0, 0)), 200);
    expect_size(platform::load_picture(dir_.write_file("o8.jpg", ts::jpeg_with_orientation(40, 20, 8))), 20, 40);
}

TEST_F(Pictures, ExifOrientationCountsWhenFitting) {
    const std::string path = dir_.write_file("o6big.jpg", ts::jpeg_with_orientation(400, 200, 6));
    expect_size(platform::load_picture_fitting(path, 50, 50), 25, 50);
    expect_size(platform::load_picture_fitting(path, 100, 400), 100, 200);
}

TEST_F(Pictures, IconShowsItsLargestImage) {
    const std::string path = dir_.write_file("multi.ico", ts::ico_bytes({ts::solid_image(16, 16, Qt::red),
                                                                        ts::solid_image(48, 48, Qt::green),
                                                                        ts::solid_image(32, 32, Qt::blue)}));
    const Picture p = platform::load_picture(path);
    expect_size(p, 48, 48);
    EXPECT_EQ(qGreen(pixel(p, 24, 24)), 255);
    EXPECT_EQ(qRed(pixel(p, 24, 24)), 0);
    expect_size(platform::load_picture_fitting(path, 24, 24), 24, 24);
}

TEST_F(Pictures, FittingKeepsAspectAndNeverEnlarges) {
    const std::string jpeg = dir_.write_file("big.jpg", ts::jpeg_bytes(400, 300));
    const std::string png = dir_.write_file("big.png", ts::png_bytes(400, 300));
    expect_size(platform::load_picture_fitting(jpeg, 49, 49), 49, 36);
    expect_size(platform::load_picture_fitting(png, 49, 49), 49, 36);
    expect_size(platform::load_picture_fitting(jpeg, 1000, 150), 200, 150);
    expect_size(platform::load_picture_fitting(jpeg, 4000, 3000), 400, 300);
    const std::string small = dir_.write_file("small.gif", ts::gif_bytes(20, 10));
    expect_size(platform::load_picture_fitting(small, 100, 100), 20, 10);
    // A sliver still gets one pixel.
    expect_size(platform::load_picture_fitting(dir_.write_file("wide.bmp", ts::bmp_bytes(1000, 2)), 10, 10), 10, 1);
    expect_size(platform::load_picture_fitting(dir_.write_file("wide.jpg", ts::jpeg_bytes(1000, 8)), 10, 10), 10, 1);
    expect_size(platform::load_picture_fitting(png, 0, -5), 1, 1);
}

TEST_F(Pictures, BrokenFilesThrow481AndNeverCrash) {
    const std::string jpeg = ts::jpeg_bytes(64, 48);
    EXPECT_EQ(load_error(dir_.write_file("empty.jpg", "")), err::kInvalidPicture);
    EXPECT_EQ(load_error(dir_.write_file("text.jpg", "This is not a picture.\n")), err::kInvalidPicture);
    EXPECT_EQ(load_error(dir_.write_file("head.jpg", ts::truncated(jpeg, 100))), err::kInvalidPicture);
    EXPECT_EQ(load_error(dir_.write_file("soi.jpg", std::string("\xFF\xD8\xFF", 3) + std::string(500, 'x'))),
              err::kInvalidPicture);
    EXPECT_EQ(load_error(dir_.write_file("head.gif", ts::truncated(ts::gif_bytes(30, 30), 20))), err::kInvalidPicture);
    EXPECT_EQ(load_error(dir_.write_file("head.bmp", ts::truncated(ts::bmp_bytes(30, 30), 30))), err::kInvalidPicture);
    EXPECT_EQ(load_error(dir_.write_file("head.ico", ts::truncated(ts::ico_bytes({ts::pattern_image(32, 32)}), 30))),
              err::kInvalidPicture);
    // Cut in the middle of the picture data: shown partly or refused.
    for (const std::string& cut : {ts::truncated(jpeg, jpeg.size() / 2), ts::truncated(ts::png_bytes(64, 48), 300),
                                   ts::truncated(ts::gif_bytes(64, 48), 2000)}) {
        const std::string path = dir_.write_file("cut", cut);
        const int e = load_error(path);
        EXPECT_TRUE(e == 0 || e == err::kInvalidPicture) << e;
        if (e == 0) expect_size(platform::load_picture(path), 64, 48);
    }
    try {
        platform::load_picture(dir_.file("text.jpg"));
    } catch (const platform::Error& e) {
        EXPECT_NE(std::string(e.what()).find("text.jpg"), std::string::npos) << e.what();
    }
}

TEST_F(Pictures, MissingFolderAndFifoAreRefusedWithoutHanging) {
    EXPECT_EQ(load_error(dir_.file("missing.jpg")), err::kFileNotFound);
    EXPECT_EQ(load_error(dir_.make_folder("folder.jpg")), err::kFileNotFound);
    ASSERT_EQ(::mkfifo(dir_.file("pipe.jpg").c_str(), 0644), 0);
    EXPECT_EQ(load_error(dir_.file("pipe.jpg")), err::kInvalidPicture);
}

TEST_F(Pictures, HugeClaimedSizeIsRefused) {
    const std::string bomb = dir_.write_file("bomb.gif", ts::gif_claiming_size(60000, 60000));
    EXPECT_EQ(load_error(bomb), err::kInvalidPicture);
    EXPECT_THROW(platform::load_picture_fitting(bomb, 49, 49), platform::Error);
}

TEST_F(Pictures, LargePhotoAboveQtsDefaultLimitLoads) {
    // 6000 x 6000 needs 144 MB decoded, over Qt's 128 MB default.
    const std::string path = dir_.write_file("large.png", ts::encode_with_qt(ts::solid_image(6000, 6000, Qt::gray), "PNG", 0));
    expect_size(platform::load_picture(path), 6000, 6000);
}

TEST_F(Pictures, NonUtf8PathLoads) {
    const std::string folder = dir_.make_folder(std::string("f\xe9te"));
    const std::string path = dir_.write_file(std::string("f\xe9te/\xff#% -x.jpg"), ts::jpeg_bytes(10, 8));
    expect_size(platform::load_picture(path), 10, 8);
    expect_size(platform::load_picture_fitting(path, 5, 5), 5, 4);
}

TEST_F(Pictures, FittingFromSeveralThreadsAtOnce) {
    const std::string jpeg = dir_.write_file("t.jpg", ts::jpeg_bytes(300, 200));
    const std::string gif = dir_.write_file("t.gif", ts::gif_bytes(300, 200));
    std::vector<std::thread> threads;
    std::vector<int> good(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) {
                const Picture p = platform::load_picture_fitting(t % 2 ? jpeg : gif, 60, 60);
                if (p.width_px() == 60 && p.height_px() == 40) ++good[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(good, (std::vector<int>{10, 10, 10, 10}));
}

TEST_F(Pictures, SavedBitmapIsA24BitBmpThatReadsBack) {
    const Picture p = platform::load_picture(dir_.write_file("in.gif", ts::gif_bytes(ts::pattern_image(64, 48))));
    const std::string out = dir_.file("share/glimmerbox/preview.bmp");
    platform::save_picture_bmp(p, out);
    const std::string bytes = ts::read_file_bytes(out);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[14]), 40);  // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "BMP");
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), QSize(64, 48));
    EXPECT_GT(qRed(back.pixel(63, 0)), 200);

    // A transparent icon saves too; saving again replaces the bitmap.
    platform::save_picture_bmp(platform::load_picture(dir_.write_file("t.ico", ts::ico_bytes({ts::solid_image(
                                                                                      16, 16, Qt::transparent)}))),
                               out);
    QImageReader again(QString::fromStdString(out));
    EXPECT_EQ(again.size(), QSize(16, 16));
}

TEST_F(Pictures, SaveFailuresLeaveTheOldBitmap) {
    EXPECT_EQ(([&] {
                  try {
                      platform::save_picture_bmp(Picture(), dir_.file("x.bmp"));
                  } catch (const platform::Error& e) {
                      return e.number();
                  }
                  return 0;
              }()),
              err::kInvalidPicture);
    EXPECT_FALSE(ts::path_exists(dir_.file("x.bmp")));
    const std::string blocker = dir_.write_file("blocker", "old");
    const Picture p = platform::load_picture(dir_.write_file("in.jpg", ts::jpeg_bytes(8, 8)));
    try {
        platform::save_picture_bmp(p, blocker + "/preview.bmp");
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), err::kPathFileAccess);
    }
    EXPECT_EQ(ts::read_file_bytes(blocker), "old");
}

}  // namespace
