// Loading pages behind the progress window: the messages and ranges, pages
// never decoded twice, Cancel, unreadable files, the reduced copies, and a
// folder far beyond 32767 pictures.
#include <gtest/gtest.h>

#include <fstream>

#include "browser/frm_bmp_view.h"
#include "platform/cell_picture.h"
#include "platform/picture_prefetch.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class LoadingTest : public ThumbsTest {};

// Resident memory now, in MB.
long resident_mb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

TEST_F(LoadingTest, PagesLoadInOrderAnnouncingEachPictureAndAreNeverDecodedTwice) {
    make_pictures(200);
    frmThumbnails& t = open();
    ASSERT_EQ(messages.size(), 56u);
    EXPECT_EQ(messages[0], "Loading image  1");  // two blanks before the number
    EXPECT_EQ(messages[9], "Loading image  10");
    EXPECT_FALSE(windows::progress().loaded() && windows::progress()().form().is_shown());

    // From page 0 to row 10: cells 56 to 135 load, each announced in turn.
    messages.clear();
    t.VScroll1.set_value(10);
    ASSERT_EQ(t.Image1.size(), 136u);
    ASSERT_EQ(messages.size(), 80u);
    for (int k = 0; k < 80; ++k) {
        EXPECT_EQ(messages[static_cast<size_t>(k)], loading(57 + k));
        EXPECT_FALSE(t.Image1[static_cast<size_t>(56 + k)]->picture().empty()) << 56 + k;
    }
    EXPECT_EQ(t.first_index, 80);
    EXPECT_TRUE(t.Image1[80]->visible());
    EXPECT_FALSE(t.Image1[79]->visible());

    // Back over loaded pages: nothing announced or decoded.
    const long long decodes = platform::prefetch_decode_count();
    messages.clear();
    t.VScroll1.set_value(0);
    t.VScroll1.set_value(3);
    EXPECT_EQ(platform::prefetch_decode_count(), decodes);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(t.first_index, 24);
}

TEST_F(LoadingTest, CancelWhileTheSixthPictureIsAnnounced) {
    make_pictures(20);
    on_pump = [](const std::string& text) {
        if (text == loading(6) && windows::progress().loaded()) windows::progress()().cmdCancel.press();
    };
    start_browser().Filter1.set_list_index(4);  // "Thumbnail View"
    EXPECT_EQ(Module1::cancel_flag, -1);
    EXPECT_EQ(messages.back(), loading(6));
    ASSERT_TRUE(windows::thumbnails().loaded());
    frmThumbnails& t = windows::thumbnails()();
    EXPECT_FALSE(t.form().is_shown());
    // Cells 0 to 4 were made; the unload step then removed the extra images.
    ASSERT_EQ(t.lb_txt.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.lb_txt[static_cast<size_t>(i)]->caption(), t.File1.list(i));
    EXPECT_EQ(t.Image1.size(), 1u);
    ASSERT_TRUE(windows::main_browser_loaded());
    EXPECT_EQ(windows::main_browser().Dir1.path(), pictures);
}

TEST_F(LoadingTest, AnUnreadableFileKeepsItsNameAndTheRestLoad) {
    home.write_file("pictures/a.jpg", test_support::jpeg_bytes(40, 30));
    home.write_file("pictures/b.jpg", "this is not a picture at all");
    home.write_file("pictures/c.jpg", test_support::truncated(test_support::jpeg_bytes(400, 300), 40));
    home.write_file("pictures/d.bmp", test_support::bmp_bytes(30, 20));
    frmThumbnails& t = open();
    ASSERT_EQ(t.Image1.size(), 4u);
    EXPECT_EQ(Module1::cancel_flag, 0);
    const char* names[] = {"a.jpg", "b.jpg", "c.jpg", "d.bmp"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(t.Image1[i]->picture().empty(), i == 1 || i == 2) << i;
        EXPECT_EQ(t.lb_txt[i]->caption(), names[i]);
        EXPECT_TRUE(t.Image1[i]->visible());
    }
}

TEST_F(LoadingTest, CellsHoldCopiesNoLargerThanTheirBoxAndMemoryStaysBounded) {
    home.write_file("pictures/icon.ico", test_support::ico_bytes({test_support::pattern_image(16, 16),
                                                                  test_support::pattern_image(64, 64)}));
    home.write_file("pictures/tall.jpg", test_support::jpeg_bytes(600, 1800));
    home.write_file("pictures/tiny.bmp", test_support::bmp_bytes(12, 10));
    // Full decodes of these 300 would hold 300 x 1.9 MB.
    make_pictures(300, 800, 600);
    const long before = resident_mb();
    frmThumbnails& t = open();
    for (int row = 7; row <= t.VScroll1.max(); row += 7) t.VScroll1.set_value(row);
    t.VScroll1.set_value(t.VScroll1.max());
    ASSERT_EQ(t.Image1.size(), 303u);  // icon.ico, p0000.jpg ... p0299.jpg, tall.jpg, tiny.bmp
    EXPECT_LT(resident_mb() - before, 150);
    const int box_w = platform::twips_to_device_px_x(735);
    const int box_h = platform::twips_to_device_px_y(735);
    for (auto* image : t.Image1) {
        EXPECT_LE(image->picture().width_px(), box_w) << image->tooltip();
        EXPECT_LE(image->picture().height_px(), box_h) << image->tooltip();
    }
    // Large pictures fill the box they are drawn into; small ones stay small.
    EXPECT_EQ(t.Image1[0]->picture().width_px(), box_w);  // the icon's 64 px image
    EXPECT_EQ(t.Image1[300]->picture().width_px(), box_w);
    EXPECT_EQ(t.Image1[301]->picture().height_px(), box_h);
    EXPECT_EQ(t.Image1[302]->picture().width_px(), 12);
}

TEST_F(LoadingTest, FiftyThousandPicturesOpenAndPagePastSixteenBitIndices) {
    const std::string original = home.write_file("tiny.bmp", test_support::bmp_bytes(2, 2));
    for (int i = 0; i < 50000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/b%05d.bmp", i);
        ASSERT_EQ(::link(original.c_str(), (pictures + name).c_str()), 0) << name;
    }
    frmThumbnails& t = open();
    ASSERT_EQ(t.File1.list_count(), 50000);
    EXPECT_EQ(t.VScroll1.max(), 6244);  // 50000 / 8 - 7 + 1
    // Row 4100 starts at cell 32800, past what 16-bit indices hold.
    t.VScroll1.set_value(4100);
    EXPECT_EQ(t.first_index, 32800);
    ASSERT_EQ(t.Image1.size(), 4107u * 8);
    EXPECT_EQ(messages.back(), loading(32856));
    EXPECT_TRUE(t.Image1[32800]->visible());
    EXPECT_FALSE(t.Image1[32799]->visible());
    t.Image1_Click(32803);
    EXPECT_EQ(t.zoom_index, 32803);
}

}  // namespace
