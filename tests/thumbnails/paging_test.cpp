// Enlarging a thumbnail to its own size and back, and closing the window.
#include <gtest/gtest.h>

#include <QWidget>

#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/runtime.h"
#include "support/pictures.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class EnlargeTest : public ThumbsTest {};

TEST_F(EnlargeTest, ClickShowsThePictureAtItsOwnSizeAndASecondClickPutsItBack) {
    make_pictures(100, 400, 300);
    frmThumbnails& t = open();
    t.VScroll1.set_value(1);  // first_index 8
    const int index = 11;      // the fourth cell of the page
    auto& image = *t.Image1[index];
    const auto reduced = image.picture().data();
    const int old_left = image.left(), old_top = image.top();

    t.Image1_Click(index);
    for (int k = 8; k < index; ++k) {
        EXPECT_FALSE(t.Image1[static_cast<size_t>(k)]->visible()) << k;
        EXPECT_FALSE(t.lb_txt[static_cast<size_t>(k)]->visible()) << k;
    }
    EXPECT_TRUE(t.lb_txt[index]->visible());
    EXPECT_TRUE(t.Image1[index + 1]->visible());  // later cells stay
    EXPECT_EQ(t.zoom_index, index);
    EXPECT_FALSE(image.stretch());
    EXPECT_EQ(image.left(), 240);
    EXPECT_EQ(image.top(), 240);
    // The picture at its own size: decoded in full for this.
    EXPECT_EQ(image.picture().width_px(), 403);  // p0011.jpg is a link to the 403 x 303 picture
    EXPECT_EQ(image.width(), static_cast<int>(platform::round_half_even(403 * platform::twips_per_pixel_x())));
    EXPECT_EQ(image.height(), static_cast<int>(platform::round_half_even(303 * platform::twips_per_pixel_y())));
    EXPECT_EQ(t.saved_left, old_left);
    EXPECT_EQ(t.saved_top, old_top);
    EXPECT_EQ(t.saved_height, 735);
    EXPECT_EQ(t.saved_width, 735);

    t.Image1_Click(index);
    for (int k = 8; k < index; ++k) EXPECT_TRUE(t.Image1[static_cast<size_t>(k)]->visible()) << k;
    EXPECT_EQ(t.zoom_index, 9999);
    EXPECT_TRUE(image.stretch());
    EXPECT_EQ(image.left(), old_left);
    EXPECT_EQ(image.top(), old_top);
    EXPECT_EQ(image.width(), 735);
    EXPECT_EQ(image.height(), 735);
    EXPECT_EQ(image.picture().data(), reduced);  // the full picture is dropped
}

TEST_F(EnlargeTest, ClicksOnOtherThumbnailsAreIgnoredWhileOneIsEnlarged) {
    make_pictures(20, 400, 300);
    frmThumbnails& t = open();
    t.Image1_Click(5);
    t.Image1_Click(2);
    t.Image1_Click(7);
    EXPECT_EQ(t.zoom_index, 5);
    EXPECT_TRUE(t.Image1[2]->stretch());
    EXPECT_TRUE(t.Image1[7]->stretch());
    EXPECT_EQ(t.Image1[7]->left(), 240 + 7 * 1290);
    EXPECT_FALSE(t.Image1[2]->visible());  // hidden by the enlarged fifth
    t.Image1_Click(5);
    t.Image1_Click(7);
    EXPECT_EQ(t.zoom_index, 7);
}

TEST_F(EnlargeTest, AnEnlargedPictureLeavingWithItsPageComesBackInItsCell) {
    make_pictures(200, 400, 300);
    frmThumbnails& t = open();
    const auto reduced = t.Image1[3]->picture().data();
    t.Image1_Click(3);
    t.VScroll1.set_value(7);
    EXPECT_FALSE(t.Image1[3]->visible());
    EXPECT_EQ(t.Image1[3]->picture().data(), reduced);  // the full picture went
    t.Image1_Click(60);                                 // still ignored
    EXPECT_EQ(t.zoom_index, 3);
    t.VScroll1.set_value(0);
    auto& image = *t.Image1[3];
    EXPECT_TRUE(image.visible());
    EXPECT_TRUE(image.stretch());
    EXPECT_EQ(image.left(), 240 + 3 * 1290);
    EXPECT_EQ(image.width(), 735);
    EXPECT_EQ(image.height(), 735);
    EXPECT_TRUE(t.Image1[2]->visible());  // the whole page is shown again
    t.Image1_Click(3);  // enlarges again
    EXPECT_FALSE(image.stretch());
    EXPECT_EQ(image.left(), 240);
}

TEST_F(EnlargeTest, ClosingTheWindowReturnsMainBrowserToTheSavedFolder) {
    home.make_folder("elsewhere");
    make_pictures(70);
    frmThumbnails& t = open();
    t.form().show();
    t.VScroll1.set_value(2);
    ASSERT_EQ(t.Image1.size(), 70u);
    EXPECT_FALSE(windows::main_browser_loaded());
    t.form().window()->close();  // the close box
    EXPECT_FALSE(windows::thumbnails().loaded());
    ASSERT_TRUE(windows::main_browser_loaded());
    frmBMPView& b = windows::main_browser();
    EXPECT_EQ(b.Dir1.path(), pictures);
    EXPECT_EQ(b.File1.path(), pictures);
    EXPECT_EQ(b.Filter1.list_index(), 0);
    settle();
    // A second "Thumbnail View" starts afresh.
    Module1::cur_dir = home.file("elsewhere");
    frmThumbnails& again = windows::thumbnails()();
    EXPECT_EQ(again.Image1.size(), 1u);
    EXPECT_EQ(Module1::cancel_flag, -1);  // nothing there
}

TEST_F(EnlargeTest, ChoosingThumbnailViewAgainRunsTheEarlierWindowsUnloadStep) {
    make_pictures(10);
    frmThumbnails& first = open();
    first.form().show();
    frmBMPView& b = start_browser();
    b.Filter1.set_list_index(4);
    ASSERT_TRUE(windows::main_browser_loaded());  // the earlier window's Restore_Dir
    ASSERT_TRUE(windows::thumbnails().loaded());
    EXPECT_TRUE(windows::thumbnails()().form().is_shown());
    EXPECT_EQ(windows::thumbnails()().Image1.size(), 10u);
}

}  // namespace
