// The pictures layer on Windows, under Wine: decoding through WIC after our
// own header reading, refusals before anything is allocated, orientation,
// reduced copies, the saved bitmap and the decoding pool.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/pictures/cell_picture.h"
#include "platform/pictures/decode_budget.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/picture_prefetch.h"
#include "platform/pictures/win32/picture_pixels.h"
#include "temp_folder.h"

using platform::Picture;
using platform::err::kInvalidPicture;
using namespace wintest;

namespace {

// The pictures made by ImageMagick when the tests were built.
std::string fixture(const char* name) { return read_bytes(std::string(GLIMMERBOX_PICTURE_FIXTURES) + "/" + name); }

std::string le16(unsigned v) { return {char(v), char(v >> 8)}; }
std::string le32(unsigned v) { return le16(v & 0xFFFF) + le16(v >> 16); }
std::string be16(unsigned v) { return {char(v >> 8), char(v)}; }
std::string be32(unsigned v) { return be16(v >> 16) + be16(v & 0xFFFF); }

// A JPEG with an EXIF block holding only the orientation, put after its start marker.
std::string with_orientation(const std::string& jpeg, unsigned orientation) {
    const std::string tiff = std::string("II") + le16(42) + le32(8) + le16(1) + le16(0x0112) + le16(3) + le32(1) +
                             le16(orientation) + le16(0) + le32(0);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    return jpeg.substr(0, 2) + "\xFF\xE1" + be16(unsigned(body.size()) + 2) + body + jpeg.substr(2);
}

// Headers that claim a size, followed by a few bytes.
std::string bmp_claiming(unsigned w, unsigned h) { return fixture("red.bmp").replace(18, 8, le32(w) + le32(h)); }
std::string png_claiming(unsigned w, unsigned h) { return fixture("red.png").replace(16, 8, be32(w) + be32(h)); }
std::string gif_claiming(unsigned w, unsigned h) {
    return std::string("GIF89a") + le16(w) + le16(h) + std::string("\0\0\0", 3) + "," + le32(0) + le16(w) +
           le16(h) + std::string("\0\x02\x02\x4c\x01\0;", 7);
}
// A baseline JPEG written by hand, flat mid-grey: each 8 x 8 block takes two
// bits (a one-bit code for "no change" and one for "end of block"), so a
// picture of many pixels comes in a file of an honest size; without its
// scan, it only claims its size.
std::string grey_jpeg(unsigned w, unsigned h, bool scan = true) {
    std::string s("\xFF\xD8\xFF\xDB", 4);
    s += be16(67) + '\0' + std::string(64, '\x01');
    s += "\xFF\xC0" + be16(11) + '\x08' + be16(h) + be16(w) + std::string("\x01\x01\x11\x00", 4);
    const std::string one_code = '\x01' + std::string(15, '\0') + '\0';
    s += "\xFF\xC4" + be16(38) + '\0' + one_code + '\x10' + one_code;
    s += "\xFF\xDA" + be16(8) + std::string("\x01\x01\x00\x00\x3F\x00", 6);
    const std::size_t bits = scan ? 2 * std::size_t((w + 7) / 8) * std::size_t((h + 7) / 8) : 0;
    s += std::string((bits + 7) / 8, '\0');
    if (bits % 8) s.back() = char(0xFF >> (bits % 8));  // padded with ones
    return s + "\xFF\xD9";
}

// An icon whose directory says 32 x 32 while its PNG says otherwise.
std::string ico_claiming(unsigned w, unsigned h) {
    const std::string png = png_claiming(w, h);
    return le16(0) + le16(1) + le16(1) + std::string("\x20\x20\0\0", 4) + le16(1) + le16(32) +
           le32(unsigned(png.size())) + le32(22) + png;
}

class WinPictures : public ::testing::Test {
protected:
    TempFolder dir;
};

std::pair<int, int> size_of(const Picture& p) { return {p.width_px(), p.height_px()}; }

// The pixel's colour as 0xRRGGBB, each component rounded to 0 or 255 when
// within 40 of it (JPEG's colours are near), else 0x808080 as a mark.
unsigned colour_at(const Picture& p, int x, int y) {
    const std::uint32_t v = p.data()->pixels[std::size_t(y) * std::size_t(p.width_px()) + std::size_t(x)];
    unsigned out = 0;
    for (int shift : {16, 8, 0}) {
        const unsigned c = (v >> shift) & 0xFF;
        if (c > 40 && c < 215) return 0x808080;
        out |= (c >= 215 ? 0xFFu : 0u) << shift;
    }
    return out;
}

std::size_t peak_memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

constexpr unsigned kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// Each kind decoded whole, as a cell of half its size, and as the bitmap saved
// from it; reduced copies. (A BMP and a JPEG without orientation at their own size, and that
// the system takes a saved bitmap as its wallpaper, the end-to-end run shows.)
TEST_F(WinPictures, EachKindDecodesUprightWholeReducedAndSaved) {
    const std::string halves = fixture("halves.jpg");  // 40 x 20, left red, right blue
    struct Spot { int x, y; unsigned colour; };
    const struct { const char* name; std::string bytes; std::pair<int, int> size; Spot a, b; } cases[] = {
        {"g.gif", fixture("green-then-blue.gif"), {25, 20}, {0, 0, kGreen}, {24, 19, kGreen}},  // the first frame
        {"placed.gif", fixture("placed.gif"), {8, 6}, {3, 3, kBlue}, {1, 1, 0}},  // a frame placed on its screen
        // An icon gives its largest picture.
        {"multi.ico", fixture("red16-green48-blue32.ico"), {48, 48}, {0, 0, kGreen}, {47, 47, kGreen}},
        {"png.jpg", fixture("red.png"), {12, 9}, {0, 0, kRed}, {11, 8, kRed}},  // by content, not name
        {"grey.jpg", grey_jpeg(64, 48), {64, 48}, {0, 0, 0x808080}, {63, 47, 0x808080}},
        {"o6.jpg", with_orientation(halves, 6), {20, 40}, {10, 5, kRed}, {10, 35, kBlue}},  // a quarter clockwise
        {"o8.jpg", with_orientation(halves, 8), {20, 40}, {10, 5, kBlue}, {10, 35, kRed}},
        {"o3.jpg", with_orientation(halves, 3), {40, 20}, {5, 10, kBlue}, {35, 10, kRed}},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file(c.name, c.bytes);
        const auto [w, h] = c.size;
        const Picture whole = platform::load_picture(path);
        platform::save_picture_bmp(whole, dir.at("saved.bmp"));
        const std::pair<Picture, int> shown[] = {{whole, 1},
                                                 {platform::load_cell_picture(path, w / 2, h / 2), 2},
                                                 {platform::load_picture(dir.at("saved.bmp")), 1}};
        for (const auto& [p, scale] : shown) {
            ASSERT_EQ(size_of(p), std::pair(w / scale, h / scale)) << c.name;
            for (const Spot& s : {c.a, c.b}) {
                const int x = s.x * p.width_px() / w, y = s.y * p.height_px() / h;  // the same spot, scaled
                EXPECT_EQ(colour_at(p, x, y), s.colour) << c.name << " / " << scale;
            }
        }
    }
    // A reduced copy keeps the picture's shape, a cell takes its box's; neither is larger than the picture.
    const std::string turned = dir.at("o6.jpg");  // 20 x 40
    EXPECT_EQ(size_of(platform::load_picture_fitting(turned, 10, 10)), std::pair(5, 10));
    EXPECT_EQ(size_of(platform::load_picture_fitting(turned, 400, 400)), std::pair(20, 40));
    EXPECT_EQ(size_of(platform::load_cell_picture(turned, 10, 50)), std::pair(10, 40));
    EXPECT_EQ(platform::decode_budget().in_use(), 0u) << "every decode gives its memory back";
}

// (Each format's header rules are the shared reader's, whose corpus is replayed
// here too: a few of them show that WIC is asked only after it.)
TEST_F(WinPictures, LyingTruncatedAndMissingFilesAreRefusedBeforeAnythingIsAllocated) {
    const std::string bmp = fixture("red.bmp");
    platform::DecodeBudget& budget = platform::decode_budget();
    budget.reset_peak();
    const std::size_t peak_before = peak_memory();
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"bomb.bmp", bmp_claiming(60000, 60000)},
             {"bomb.jpg", grey_jpeg(60000, 60000, false)},
             {"bomb.ico", ico_claiming(60000, 60000)},
             // Within the pixel limit, but not in a file of a few bytes.
             {"lying.jpg", grey_jpeg(12000, 12000, false)},
             {"lying.bmp", bmp_claiming(2000, 2000)},  // too short for its rows
             // 1 GB of pixels in 27 KB: padding defeats a pixels-per-byte test, not the budget.
             {"padded-bomb.gif", gif_claiming(16000, 16000) + std::string(27000, '\0')},
             {"truncated.bmp", bmp.substr(0, bmp.size() / 2)},
             {"head.jpg", fixture("blue.jpg").substr(0, 100)},  // cut before its frame header
             {"empty.jpg", ""},
             {"text.jpg", "not a picture at all"}}) {
        const std::string path = dir.file(name, bytes);
        EXPECT_EQ(error_of([&] { platform::load_picture(path); }), kInvalidPicture) << name;
        EXPECT_EQ(error_of([&] { platform::load_cell_picture(path, 40, 40); }), kInvalidPicture) << name;
    }
    // 144 million pixels in 560 KB, honestly: at its own size only the budget refuses it.
    const std::string large = dir.file("large.jpg", grey_jpeg(12000, 12000));
    EXPECT_EQ(error_of([&] { platform::load_picture(large); }), kInvalidPicture);
    EXPECT_EQ(budget.peak(), 0u) << "nothing was reserved for a refused file";
    EXPECT_LT(peak_memory() - peak_before, std::size_t(64) << 20) << "nor allocated by a decoder";
    // Its cell fits: the decoder's own copy and a few pixels of ours.
    EXPECT_EQ(colour_at(platform::load_cell_picture(large, 40, 40), 20, 20), 0x808080u);
    EXPECT_EQ(error_of([&] { platform::load_picture(dir.at("missing.jpg")); }), platform::err::kFileNotFound);
    EXPECT_EQ(error_of([&] { platform::load_picture(dir.folder("folder.jpg")); }), platform::err::kFileNotFound);
}

TEST_F(WinPictures, DecodingAheadKeepsToItsLimitStopFlagAndStamp) {
    const std::string path = dir.file("b.jpg", fixture("blue.jpg"));
    platform::FileStamp opened, now;
    EXPECT_TRUE(platform::load_picture_within(path, 40 * 30 * 4, opened).empty()) << "over the limit";
    ASSERT_TRUE(platform::file_stamp(path, now));
    EXPECT_EQ(opened, now);
    const auto stop = std::make_shared<std::atomic<bool>>(true);
    EXPECT_TRUE(platform::load_picture_within(path, 1 << 20, opened, stop).empty()) << "stopped";
    // Rewritten in place, the file gives another stamp; a folder gives none.
    dir.file("b.jpg", fixture("red.bmp"));
    ASSERT_TRUE(platform::file_stamp(path, now));
    EXPECT_NE(opened, now);
    EXPECT_FALSE(platform::file_stamp(dir.path(), now));
}

// (Many pictures at once, and the browser's neighbours on the same pool, the
// end-to-end thumbnails and stepping show.)
TEST_F(WinPictures, ThePoolDecodesAheadOnItsThreads) {
    const std::string blue = dir.file("b.jpg", fixture("blue.jpg"));
    const std::string broken = dir.file("x.jpg", "broken");
    platform::PicturePrefetch prefetch(10, 10);
    prefetch.enqueue({{0, blue}, {1, broken}});
    EXPECT_EQ(size_of(prefetch.take(0, blue)), std::pair(10, 10));
    EXPECT_EQ(error_of([&] { prefetch.take(1, broken); }), kInvalidPicture);
    EXPECT_EQ(prefetch.held(), 0);
}

}  // namespace
