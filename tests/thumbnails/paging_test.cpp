// Enlarging a thumbnail to its own size and back, closing the window, and
// page changes or closing from inside the page loop.
#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

#include "browser/frm_bmp_view.h"
#include "platform/runtime.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class PagingTest : public ThumbsTest {};

TEST_F(PagingTest, ClickShowsThePictureAtItsOwnSizeAndASecondClickPutsItBack) {
    make_pictures(100, 400, 300);
    frmThumbnails& t = open();
    t.VScroll1.set_value(1);  // the page starts at cell 8
    const int index = 11;      // p0011.jpg links the 403 x 303 picture
    auto& image = *t.Image1[index];
    const auto reduced = image.picture().data();
    const int old_left = image.left(), old_top = image.top();

    t.Image1_Click(index);
    EXPECT_EQ(t.zoom_index, index);
    // The earlier cells of the page are hidden; the later ones stay.
    for (int k = 8; k < index; ++k) {
        EXPECT_FALSE(t.Image1[static_cast<size_t>(k)]->visible()) << k;
        EXPECT_FALSE(t.lb_txt[static_cast<size_t>(k)]->visible()) << k;
    }
    EXPECT_TRUE(t.Image1[index + 1]->visible());
    EXPECT_FALSE(image.stretch());
    EXPECT_EQ(image.left(), 240);
    EXPECT_EQ(image.top(), 240);
    EXPECT_EQ(image.picture().width_px(), 403);  // decoded in full for this
    EXPECT_EQ(image.width(), static_cast<int>(platform::round_half_even(403 * platform::twips_per_pixel_x())));

    t.Image1_Click(index);
    EXPECT_EQ(t.zoom_index, 9999);
    for (int k = 8; k < index; ++k) EXPECT_TRUE(t.Image1[static_cast<size_t>(k)]->visible()) << k;
    EXPECT_TRUE(image.stretch());
    EXPECT_EQ(image.left(), old_left);
    EXPECT_EQ(image.top(), old_top);
    EXPECT_EQ(image.width(), 735);
    EXPECT_EQ(image.height(), 735);
    EXPECT_EQ(image.picture().data(), reduced);  // the full picture dropped
}

TEST_F(PagingTest, ClicksOnOtherThumbnailsAreIgnoredWhileOneIsEnlarged) {
    make_pictures(200, 400, 300);
    frmThumbnails& t = open();
    const auto reduced = t.Image1[5]->picture().data();
    t.Image1_Click(5);
    t.Image1_Click(7);
    EXPECT_EQ(t.zoom_index, 5);
    // Its page left: the full picture goes, clicks stay ignored.
    t.VScroll1.set_value(7);
    EXPECT_EQ(t.Image1[5]->picture().data(), reduced);
    t.Image1_Click(60);
    EXPECT_EQ(t.zoom_index, 5);
    // Back on its page it shows in its cell; its own click enlarges it again.
    t.VScroll1.set_value(0);
    EXPECT_TRUE(t.Image1[4]->visible());
    EXPECT_EQ(t.Image1[5]->left(), 240 + 5 * 1290);
    t.Image1_Click(5);
    EXPECT_EQ(t.Image1[5]->left(), 240);
    t.Image1_Click(5);
    t.Image1_Click(7);
    EXPECT_EQ(t.zoom_index, 7);
}

// Events served by the page loop's event pump that come back into the
// window: page changes and closing while a page loads.
TEST_F(PagingTest, PageChangesWhileLoadingAreServedAfterwardsTheLatestWinning) {
    make_pictures(200);
    frmThumbnails& t = open();
    t.form().show();
    messages.clear();
    bool inside = false;
    on_pump = [&](const std::string& text) {
        if (text == loading(58)) {
            inside = t.loading();
            t.VScroll1.set_value(4);  // a drag going on while row 1 loads
            t.VScroll1.set_value(12);
        }
    };
    t.VScroll1.set_value(1);
    EXPECT_TRUE(inside);
    EXPECT_FALSE(t.loading());
    EXPECT_EQ(t.first_index, 96);
    ASSERT_EQ(t.Image1.size(), 152u);  // up to the end of row 12's page
    EXPECT_TRUE(t.Image1[96]->visible());
    EXPECT_FALSE(t.Image1[8]->visible());
    // Every picture announced once, in order.
    ASSERT_EQ(messages.size(), 152u - 56u);
    for (size_t k = 0; k < messages.size(); ++k) EXPECT_EQ(messages[k], loading(57 + static_cast<int>(k)));
}

TEST_F(PagingTest, ClosingWhileLoadingStopsTheLoopAndTheWindowGoesAfterwards) {
    make_pictures(200);
    frmThumbnails& t = open();
    t.form().show();
    QPointer<QWidget> window(t.form().window());
    ASSERT_FALSE(windows::main_browser_loaded());
    on_pump = [&](const std::string& text) {
        if (text == loading(60) && windows::thumbnails().loaded()) t.form().window()->close();
    };
    t.VScroll1.set_value(3);
    // The unload step ran at once and put main_browser on the saved folder;
    // nothing after picture 60 was announced.
    EXPECT_FALSE(windows::thumbnails().loaded());
    ASSERT_TRUE(windows::main_browser_loaded());
    EXPECT_EQ(windows::main_browser().Dir1.path(), pictures);
    EXPECT_EQ(windows::main_browser().File1.path(), pictures);
    EXPECT_EQ(messages.back(), loading(60));
    EXPECT_FALSE(windows::progress().loaded() && windows::progress()().form().is_shown());
    on_pump = nullptr;
    settle();
    EXPECT_TRUE(window.isNull());  // gone once its loop had returned
}

}  // namespace
