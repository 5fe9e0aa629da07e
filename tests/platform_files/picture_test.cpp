// Picture loading: every format at its upright size, icons' largest image,
// reduced copies, hostile files refused with 481, and bitmaps written.
#include <gtest/gtest.h>

#include <QImageReader>

#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "platform/error.h"
#include "platform/picture.h"
#include "platform/picture_data.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

using platform::Picture;
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

    ts::TempDir dir_;
};

void expect_size(const Picture& p, int width, int height) {
    EXPECT_EQ(p.width_px(), width);
    EXPECT_EQ(p.height_px(), height);
}

TEST_F(Pictures, EachFormatLoadsAtItsOwnSizeByContent) {
    const struct {
        const char* name;
        std::string bytes;
        int width, height;
    } cases[] = {
        {"\xff#% -x.jpg", ts::jpeg_bytes(40, 30), 40, 30},  // a name that is not UTF-8
        {"a.png", ts::png_bytes(41, 29), 41, 29},
        {"a.bmp", ts::bmp_bytes(33, 17), 33, 17},
        {"a.gif", ts::gif_bytes(25, 20), 25, 20},
        {"multi.ico", ts::ico_bytes({ts::solid_image(16, 16, Qt::red), ts::solid_image(48, 48, Qt::green),
                                     ts::solid_image(32, 32, Qt::blue)}), 48, 48},  // the largest image
        {"really_png.jpg", ts::png_bytes(12, 9), 12, 9},
        {"o3.jpg", ts::jpeg_with_orientation(40, 20, 3), 40, 20},
        {"o8.jpg", ts::jpeg_with_orientation(40, 20, 8), 20, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expect_size(platform::load_picture(dir_.write_file(c.name, c.bytes)), c.width, c.height);
    }
}

TEST_F(Pictures, ExifQuarterTurnIsUprightInPixels) {
    const Picture turned = platform::load_picture(dir_.write_file("o6.jpg", ts::jpeg_with_orientation(40, 20, 6)));
    expect_size(turned, 20, 40);
    // A quarter turn clockwise: the stored top-left corner (no red, no green)
    // is now top-right, the stored bottom-left (full green) top-left.
    EXPECT_LT(qRed(pixel(turned, 19, 0)) + qGreen(pixel(turned, 19, 0)), 80);
    EXPECT_GT(qGreen(pixel(turned, 0, 0)), 200);
}

TEST_F(Pictures, FittingKeepsAspectAndNeverEnlarges) {
    const std::string jpeg = dir_.write_file("big.jpg", ts::jpeg_bytes(400, 300));
    const std::string png = dir_.write_file("big.png", ts::png_bytes(400, 300));
    const std::string sliver = dir_.write_file("wide.jpg", ts::jpeg_bytes(1000, 8));
    const std::string turned = dir_.write_file("o6.jpg", ts::jpeg_with_orientation(400, 200, 6));
    const std::string odd_path = dir_.write_file("\xff#% -x.jpg", ts::jpeg_bytes(10, 8));
    const struct {
        std::string path;
        int box_width, box_height, width, height;
    } cases[] = {
        {jpeg, 49, 49, 49, 36},       {png, 49, 49, 49, 36},       {jpeg, 1000, 150, 200, 150},
        {jpeg, 4000, 3000, 400, 300}, {png, 1000, 1000, 400, 300}, {sliver, 10, 10, 10, 1},
        {png, 0, -5, 1, 1},           {turned, 50, 50, 25, 50},    {turned, 100, 400, 100, 200},
        {odd_path, 5, 5, 5, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " in " + std::to_string(c.box_width) + " x " + std::to_string(c.box_height));
        expect_size(platform::load_picture_fitting(c.path, c.box_width, c.box_height), c.width, c.height);
    }
}

TEST_F(Pictures, BrokenHostileAndOddFilesAreRefusedWithoutHanging) {
    const std::string jpeg = ts::jpeg_bytes(64, 48);
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"empty.jpg", ""}, {"text.jpg", "This is not a picture.\n"}, {"head.jpg", ts::truncated(jpeg, 100)},
             {"head.gif", ts::truncated(ts::gif_bytes(30, 30), 20)},
             {"head.ico", ts::truncated(ts::ico_bytes({ts::pattern_image(32, 32)}), 30)},
             {"bomb.gif", ts::gif_claiming_size(60000, 60000)}}) {
        EXPECT_EQ(load_error(dir_.write_file(name, bytes)), err::kInvalidPicture) << name;
    }
    EXPECT_THROW(platform::load_picture_fitting(dir_.file("bomb.gif"), 49, 49), platform::Error);
    EXPECT_EQ(load_error(dir_.file("missing.jpg")), err::kFileNotFound);
    EXPECT_EQ(load_error(dir_.make_folder("folder.jpg")), err::kFileNotFound);
    ASSERT_EQ(::mkfifo(dir_.file("pipe.jpg").c_str(), 0644), 0);
    EXPECT_EQ(load_error(dir_.file("pipe.jpg")), err::kInvalidPicture);
}

TEST_F(Pictures, LargePhotoAboveQtsDefaultLimitLoads) {
    // 6000 x 6000 needs 144 MB decoded, over Qt's 128 MB default.
    const std::string path = dir_.write_file("large.png", ts::encode_with_qt(ts::solid_image(6000, 6000, Qt::gray), "PNG", 0));
    expect_size(platform::load_picture(path), 6000, 6000);
}

TEST_F(Pictures, FittingFromSeveralThreadsAtOnce) {
    const std::string jpeg = dir_.write_file("t.jpg", ts::jpeg_bytes(300, 200));
    const std::string gif = dir_.write_file("t.gif", ts::gif_bytes(300, 200));
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) {
                const Picture p = platform::load_picture_fitting(t % 2 ? jpeg : gif, 60, 60);
                if (p.width_px() == 60 && p.height_px() == 40) ++good;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(good.load(), 40);
}

TEST_F(Pictures, SavedBitmapIsA24BitBmpThatReadsBack) {
    const Picture p = platform::load_picture(dir_.write_file("in.gif", ts::gif_bytes(64, 48)));
    const std::string out = dir_.file("share/glimmerbox/preview.bmp");
    platform::save_picture_bmp(p, out);
    const std::string bytes = ts::read_file_bytes(out);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
    const QImage back = QImageReader(QString::fromStdString(out)).read();
    EXPECT_EQ(back.size(), QSize(64, 48));
    EXPECT_GT(qRed(back.pixel(63, 0)), 200);
    EXPECT_LT(qRed(back.pixel(0, 0)), 40);
}

}  // namespace
