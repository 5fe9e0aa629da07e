// How many rows and columns fit, the scroll bar, and where the cells go.
#include <gtest/gtest.h>

#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/types.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class GridTest : public ThumbsTest {};

TEST_F(GridTest, HundredFilesInATwelveThousandByNineThousandBrowser) {
    make_pictures(100);
    frmThumbnails& t = open(12000, 9000);
    EXPECT_EQ(t.rows_per_page, 7);
    EXPECT_EQ(t.cols_per_row, 8);
    EXPECT_TRUE(t.VScroll1.visible());
    EXPECT_EQ(t.VScroll1.min(), 0);
    EXPECT_EQ(t.VScroll1.max(), 6);  // 12.5 - 7 + 1 = 6.5, halves to even
    EXPECT_EQ(t.VScroll1.large_change(), 7);
    EXPECT_EQ(t.VScroll1.small_change(), 1);
    EXPECT_EQ(t.VScroll1.left(), 10680);
    EXPECT_EQ(t.VScroll1.top(), 240);
    EXPECT_EQ(t.VScroll1.width(), 255);
    EXPECT_EQ(t.VScroll1.height(), 3255);
    EXPECT_EQ(t.VScroll1.value(), 0);
    EXPECT_EQ(Module1::cancel_flag, 0);
    EXPECT_EQ(t.form().caption(), "Thumbnails");
    EXPECT_EQ(t.form().window_state(), platform::kStateMaximized);
    EXPECT_FALSE(t.File1.visible());
    EXPECT_EQ(t.File1.list_count(), 100);

    // The last page starts at row 6 and holds files 48 to 99.
    t.VScroll1.set_value(6);
    EXPECT_EQ(t.first_index, 48);
    EXPECT_TRUE(t.Image1[48]->visible());
    EXPECT_TRUE(t.Image1[99]->visible());
    EXPECT_FALSE(t.Image1[47]->visible());
    ASSERT_EQ(t.Image1.size(), 100u);
}

TEST_F(GridTest, OneFileMoreThanAPageNeedsOneRowOfScrolling) {
    make_pictures(57);
    frmThumbnails& t = open(12000, 9000);
    EXPECT_TRUE(t.VScroll1.visible());
    EXPECT_EQ(t.VScroll1.max(), 1);
    t.VScroll1.set_value(1);
    EXPECT_EQ(t.first_index, 8);
    // Rows 1 to 7; the last row holds the single extra file.
    EXPECT_TRUE(t.Image1[56]->visible());
    EXPECT_EQ(t.Image1[56]->top(), 240 + 6 * 1200);
    EXPECT_EQ(t.Image1[56]->left(), 240);
    EXPECT_FALSE(t.Image1[7]->visible());
}

TEST_F(GridTest, ExactlyAPageOrLessHasNoScrollBar) {
    make_pictures(56);
    frmThumbnails& t = open(12000, 9000);
    EXPECT_FALSE(t.VScroll1.visible());
    EXPECT_EQ(t.VScroll1.left(), 7710);  // the values it was created with
    EXPECT_EQ(t.Image1.size(), 56u);
    for (int i = 0; i < 56; ++i) EXPECT_TRUE(t.Image1[static_cast<size_t>(i)]->visible()) << i;
}

TEST_F(GridTest, CellsFillThePageRowByRow) {
    make_pictures(20);
    frmThumbnails& t = open(12000, 9000);
    // Cell 9: second row, second column.
    const auto& image = *t.Image1[9];
    const auto& label = *t.lb_txt[9];
    EXPECT_EQ(image.left(), 240 + 1290);
    EXPECT_EQ(image.top(), 240 + 1200);
    EXPECT_EQ(image.width(), 735);
    EXPECT_EQ(image.height(), 735);
    EXPECT_TRUE(image.stretch());
    EXPECT_EQ(label.left(), 240 + 1290);
    EXPECT_EQ(label.top(), 240 + 1200 + 735);
    EXPECT_EQ(label.width(), 1050);
    EXPECT_EQ(label.height(), 195);
    EXPECT_EQ(label.caption(), "p0009.jpg");
    EXPECT_EQ(image.tooltip(), "p0009.jpg");
    EXPECT_EQ(t.Image1[0]->left(), 240);  // element 0 moves from the 360 it was created at
}

TEST_F(GridTest, ABrowserSmallerThanACellStillGetsOneRowAndOneColumn) {
    make_pictures(3);
    frmThumbnails& t = open(1000, 1000);
    EXPECT_EQ(t.rows_per_page, 1);
    EXPECT_EQ(t.cols_per_row, 1);
    EXPECT_TRUE(t.VScroll1.visible());
    EXPECT_EQ(t.VScroll1.max(), 3);
    EXPECT_EQ(t.VScroll1.large_change(), 1);
    t.VScroll1.set_value(2);
    EXPECT_EQ(t.first_index, 2);
    EXPECT_TRUE(t.Image1[2]->visible());
    EXPECT_FALSE(t.Image1[0]->visible());
}

TEST_F(GridTest, FolderWithoutPicturesGivesTheMessageAndNoWindow) {
    home.write_file("pictures/drawing.wmf", "not listed");
    home.write_file("pictures/notes.txt", "not listed");
    start_browser().Filter1.set_list_index(4);  // "Thumbnail View"
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(recorded.boxes[0].text, "There is no graphics file under this directory");
    EXPECT_EQ(recorded.boxes[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(recorded.boxes[0].buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(recorded.boxes[0].title, "Glimmerbox");
    EXPECT_EQ(Module1::cancel_flag, -1);
    ASSERT_TRUE(windows::thumbnails().loaded());
    EXPECT_FALSE(windows::thumbnails()().form().is_shown());
    EXPECT_FALSE(windows::main_browser_loaded());  // no unload step on this path
}

TEST_F(GridTest, ThumbnailViewFromTheBrowserShowsTheWindowAtTheTopLeft) {
    make_pictures(5);
    frmBMPView& b = start_browser();
    b.Filter1.set_list_index(4);
    EXPECT_EQ(Module1::cur_dir, pictures);
    ASSERT_TRUE(windows::thumbnails().loaded());
    frmThumbnails& t = windows::thumbnails()();
    EXPECT_TRUE(t.form().is_shown());
    EXPECT_EQ(t.Image1.size(), 5u);
    EXPECT_FALSE(progress_shown());
    EXPECT_TRUE(recorded.boxes.empty());
}

}  // namespace
