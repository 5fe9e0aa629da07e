// Loading pages behind the progress window: messages, ranges, Cancel,
// unreadable files, reduced copies and what stays in memory.
#include <gtest/gtest.h>

#include <QWidget>

#include <unistd.h>

#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/cell_picture.h"
#include "platform/picture_prefetch.h"
#include "platform/types.h"
#include "support/pictures.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class LoadingTest : public ThumbsTest {};

std::string loading(int number) { return "Loading image  " + std::to_string(number); }

TEST_F(LoadingTest, EachPictureIsAnnouncedInTurnThenTheProgressWindowHides) {
    make_pictures(12);
    frmThumbnails& t = open();
    ASSERT_EQ(messages.size(), 12u);
    EXPECT_EQ(messages[0], "Loading image  1");  // two blanks before the number
    EXPECT_EQ(messages[1], loading(2));
    EXPECT_EQ(messages[9], "Loading image  10");
    EXPECT_EQ(messages[11], loading(12));
    EXPECT_FALSE(progress_shown());
    EXPECT_EQ(progress_text(), loading(12));
    for (int i = 0; i < 12; ++i) {
        EXPECT_FALSE(t.Image1[static_cast<size_t>(i)]->picture().empty()) << i;
        EXPECT_EQ(t.lb_txt[static_cast<size_t>(i)]->caption(), t.File1.list(i));
    }
}

TEST_F(LoadingTest, AJumpLoadsEveryCellUpToTheEndOfTheFarPage) {
    make_pictures(200);
    frmThumbnails& t = open();
    ASSERT_EQ(t.Image1.size(), 56u);
    messages.clear();
    t.VScroll1.set_value(10);
    EXPECT_EQ(t.Image1.size(), 136u);
    ASSERT_EQ(messages.size(), 80u);
    EXPECT_EQ(messages.front(), loading(57));
    EXPECT_EQ(messages.back(), loading(136));
    EXPECT_EQ(t.first_index, 80);
    EXPECT_TRUE(t.Image1[80]->visible());
    EXPECT_FALSE(t.Image1[79]->visible());
    EXPECT_FALSE(t.Image1[0]->visible());
    EXPECT_FALSE(t.Image1[135]->picture().empty());
}

TEST_F(LoadingTest, OneArrowStepMovesOneRow) {
    make_pictures(200);
    frmThumbnails& t = open();
    messages.clear();
    t.VScroll1.set_value(1);
    EXPECT_EQ(t.first_index, 8);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(t.Image1[static_cast<size_t>(i)]->visible()) << i;
    EXPECT_EQ(t.Image1.size(), 64u);
    ASSERT_EQ(messages.size(), 8u);
    EXPECT_EQ(messages.front(), loading(57));
    EXPECT_TRUE(t.Image1[63]->visible());
    EXPECT_EQ(t.Image1[63]->top(), 240 + 6 * 1200);
}

TEST_F(LoadingTest, ComingBackToALoadedPageDecodesNothing) {
    make_pictures(200);
    frmThumbnails& t = open();
    t.VScroll1.set_value(7);
    const auto first_picture = t.Image1[3]->picture().data();
    const long long decodes = platform::prefetch_decode_count();
    messages.clear();
    t.VScroll1.set_value(0);
    t.VScroll1.set_value(7);
    t.VScroll1.set_value(3);
    EXPECT_EQ(platform::prefetch_decode_count(), decodes);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(t.Image1[3]->picture().data(), first_picture);
    EXPECT_EQ(t.first_index, 24);
    EXPECT_FALSE(progress_shown());
}

TEST_F(LoadingTest, CancelWhileTheSixthPictureIsAnnounced) {
    make_pictures(20);
    on_pump = [](const std::string& text) {
        if (text == "Loading image  6" && windows::progress().loaded()) windows::progress()().cmdCancel.press();
    };
    start_browser().Filter1.set_list_index(4);  // "Thumbnail View"
    EXPECT_EQ(Module1::cancel_flag, -1);
    ASSERT_TRUE(windows::thumbnails().loaded());
    frmThumbnails& t = windows::thumbnails()();
    EXPECT_FALSE(t.form().is_shown());
    // Cells 0 to 4 were loaded; the unload step then removed the extra images.
    EXPECT_EQ(t.Image1.size(), 1u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.lb_txt[static_cast<size_t>(i)]->caption(), t.File1.list(i)) << i;
    EXPECT_EQ(t.lb_txt.size(), 5u);
    EXPECT_EQ(messages.back(), loading(6));
    EXPECT_FALSE(windows::progress().loaded());
    // The unload step put main_browser on the saved folder.
    ASSERT_TRUE(windows::main_browser_loaded());
    EXPECT_EQ(windows::main_browser().Dir1.path(), pictures);
    EXPECT_EQ(windows::main_browser().Filter1.list_index(), 0);
}

TEST_F(LoadingTest, AfterACancelDuringAPageChangeLaterPagesLoadNothing) {
    make_pictures(200);
    frmThumbnails& t = open();
    on_pump = [](const std::string& text) {
        if (text == "Loading image  60" && windows::progress().loaded()) windows::progress()().cmdCancel.press();
    };
    t.VScroll1.set_value(1);
    EXPECT_EQ(Module1::cancel_flag, -1);
    EXPECT_EQ(t.Image1.size(), 59u);
    EXPECT_EQ(t.first_index, 0);  // the new page is not shown
    EXPECT_FALSE(t.Image1[10]->visible());
    on_pump = nullptr;
    messages.clear();
    t.VScroll1.set_value(5);
    EXPECT_EQ(t.Image1.size(), 59u);
    EXPECT_EQ(messages.size(), 1u);  // announced, then the check stops it
    EXPECT_EQ(t.first_index, 0);
}

TEST_F(LoadingTest, AnUnreadableFileKeepsItsNameAndTheRestLoads) {
    home.write_file("pictures/a.jpg", test_support::jpeg_bytes(40, 30));
    home.write_file("pictures/b.jpg", test_support::jpeg_bytes(40, 30));
    home.write_file("pictures/c.jpg", "this is not a picture at all");
    home.write_file("pictures/d.jpg", test_support::truncated(test_support::jpeg_bytes(400, 300), 40));
    home.write_file("pictures/e.bmp", test_support::bmp_bytes(30, 20));
    frmThumbnails& t = open();
    ASSERT_EQ(t.Image1.size(), 5u);
    for (int i : {2, 3}) {
        EXPECT_TRUE(t.Image1[static_cast<size_t>(i)]->picture().empty()) << i;
        EXPECT_EQ(t.lb_txt[static_cast<size_t>(i)]->caption(), t.File1.list(i));
        EXPECT_EQ(t.Image1[static_cast<size_t>(i)]->tooltip(), t.File1.list(i));
        EXPECT_TRUE(t.Image1[static_cast<size_t>(i)]->visible());
    }
    EXPECT_FALSE(t.Image1[4]->picture().empty());
    EXPECT_EQ(t.lb_txt[4]->caption(), "e.bmp");
    EXPECT_EQ(Module1::cancel_flag, 0);
}

TEST_F(LoadingTest, CellsHoldCopiesNoLargerThanTheirBox) {
    home.write_file("pictures/wide.jpg", test_support::jpeg_bytes(1600, 900));
    home.write_file("pictures/tall.jpg", test_support::jpeg_bytes(600, 1800));
    home.write_file("pictures/tiny.bmp", test_support::bmp_bytes(12, 10));
    home.write_file("pictures/icon.ico", test_support::ico_bytes({test_support::pattern_image(16, 16),
                                                                  test_support::pattern_image(64, 64)}));
    frmThumbnails& t = open();
    const int box_w = platform::twips_to_device_px_x(735);
    const int box_h = platform::twips_to_device_px_y(735);
    ASSERT_EQ(t.Image1.size(), 4u);
    for (auto* image : t.Image1) {
        ASSERT_FALSE(image->picture().empty()) << image->tooltip();
        EXPECT_LE(image->picture().width_px(), box_w) << image->tooltip();
        EXPECT_LE(image->picture().height_px(), box_h) << image->tooltip();
    }
    // Large pictures fill the box they are drawn into; small ones are not
    // enlarged.
    EXPECT_EQ(t.Image1[3]->picture().width_px(), box_w);   // wide.jpg
    EXPECT_EQ(t.Image1[3]->picture().height_px(), box_h);
    EXPECT_EQ(t.Image1[1]->picture().height_px(), box_h);  // tall.jpg
    EXPECT_EQ(t.Image1[2]->picture().width_px(), 12);      // tiny.bmp
    EXPECT_EQ(t.Image1[0]->picture().width_px(), box_w);   // icon.ico: its 64 px image
}

TEST_F(LoadingTest, MemoryHeldStaysBoundedAcrossManyPages) {
    make_pictures(300, 800, 600);
    frmThumbnails& t = open();
    for (int row = 7; row <= t.VScroll1.max(); row += 7) t.VScroll1.set_value(row);
    t.VScroll1.set_value(t.VScroll1.max());
    ASSERT_EQ(t.Image1.size(), 300u);
    long long bytes = 0;
    for (auto* image : t.Image1) bytes += 4LL * image->picture().width_px() * image->picture().height_px();
    const long long box = 4LL * platform::twips_to_device_px_x(735) * platform::twips_to_device_px_y(735);
    EXPECT_LE(bytes, 300 * box);
    // Full decodes of the same pictures would hold a hundred times more.
    EXPECT_LT(bytes * 100, 300LL * 4 * 800 * 600);
}

TEST_F(LoadingTest, ProgressWindowCreatedHiddenByItsMessageAndClosedWithoutCancelling) {
    std::string message = "Checking";
    progress_message(message);
    ASSERT_TRUE(windows::progress().loaded());
    frmProgress& p = windows::progress()();
    EXPECT_FALSE(p.form().is_shown());
    EXPECT_EQ(p.lbl_1.caption(), "Checking");
    EXPECT_EQ(p.form().caption(), "Progress");
    EXPECT_EQ(p.cmdCancel.caption(), "&Cancel");
    EXPECT_EQ(p.cmdCancel.left(), 4860);
    EXPECT_EQ(p.lbl_1.width(), 4215);
    p.form().show();
    p.form().window()->close();  // the close box
    EXPECT_FALSE(windows::progress().loaded());
    EXPECT_EQ(Module1::cancel_flag, 0);
    settle();
    // A new one starts with an empty message.
    EXPECT_EQ(windows::progress()().lbl_1.caption(), "");
    windows::progress()().cmdCancel.press();
    EXPECT_EQ(Module1::cancel_flag, -1);
    EXPECT_FALSE(windows::progress().loaded());
}

}  // namespace
