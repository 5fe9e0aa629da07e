// How many rows and columns fit, the scroll bar, where the cells go, and a
// folder without pictures.
#include <gtest/gtest.h>

#include "browser/frm_bmp_view.h"
#include "platform/types.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class GridTest : public ThumbsTest {};

// A browser's size and a file count, what the grid and its scroll bar become,
// and a row scrolled to with one cell of that page and where it is drawn.
struct Grid {
    int files, view_w, view_h;
    int rows, cols;
    bool bar;
    int max, large_change, bar_left;
    int row, first_index, cell, cell_left, cell_top;
};

TEST_F(GridTest, RowsColumnsScrollBarAndCellPlaces) {
    const Grid grids[] = {
        // 8 columns of 1290 and 7 rows of 1200; 12.5 rows need 6.5 rows of
        // scrolling, halved to even. Cell 99 is row 6, column 3 of the last page.
        {100, 12000, 9000, 7, 8, true, 6, 7, 10680, 6, 48, 99, 240 + 3 * 1290, 240 + 6 * 1200},
        // One file more than a page: one row of scrolling.
        {57, 12000, 9000, 7, 8, true, 1, 7, 10680, 1, 8, 56, 240, 240 + 6 * 1200},
        // Exactly a page: no scroll bar.
        {56, 12000, 9000, 7, 8, false, 0, 0, 0, 0, 0, 55, 240 + 7 * 1290, 240 + 6 * 1200},
        // A browser smaller than a cell still gets one row and one column.
        {3, 1000, 1000, 1, 1, true, 3, 1, 0, 2, 2, 2, 240, 240},
    };
    for (const Grid& g : grids) {
        SCOPED_TRACE(testing::Message() << g.files << " files in " << g.view_w << " x " << g.view_h);
        make_pictures(g.files);
        frmThumbnails& t = open(g.view_w, g.view_h);
        EXPECT_EQ(t.form().caption(), "Thumbnails");
        EXPECT_EQ(t.form().window_state(), platform::kStateMaximized);
        EXPECT_EQ(t.rows_per_page, g.rows);
        EXPECT_EQ(t.cols_per_row, g.cols);
        EXPECT_EQ(t.VScroll1.visible(), g.bar);
        if (g.bar) {
            EXPECT_EQ(t.VScroll1.max(), g.max);
            EXPECT_EQ(t.VScroll1.large_change(), g.large_change);
            EXPECT_EQ(t.VScroll1.small_change(), 1);
            if (g.bar_left) {
                EXPECT_EQ(t.VScroll1.left(), g.bar_left);
            }
            t.VScroll1.set_value(g.row);
        }
        EXPECT_EQ(t.first_index, g.first_index);
        const auto& cell = *t.Image1[static_cast<size_t>(g.cell)];
        EXPECT_TRUE(cell.visible());
        EXPECT_EQ(cell.left(), g.cell_left);
        EXPECT_EQ(cell.top(), g.cell_top);
        EXPECT_EQ(t.lb_txt[static_cast<size_t>(g.cell)]->top(), g.cell_top + 735);
        if (g.first_index > 0) {
            EXPECT_FALSE(t.Image1[static_cast<size_t>(g.first_index - 1)]->visible());
        }
        // Start again with an empty folder and no window.
        unload_thumbnails();
        settle();
        for (const auto& name : test_support::entries_of(pictures)) ::unlink((pictures + "/" + name).c_str());
    }
}

TEST_F(GridTest, FolderWithoutPicturesGivesTheMessageAndNoWindow) {
    home.write_file("pictures/drawing.wmf", "not listed");
    home.write_file("pictures/notes.txt", "not listed");
    start_browser().Filter1.set_list_index(4);  // "Thumbnail View"
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(recorded.boxes[0].text, "There is no graphics file under this directory");
    EXPECT_EQ(recorded.boxes[0].title, "Glimmerbox");
    EXPECT_EQ(Module1::cancel_flag, -1);
    EXPECT_FALSE(windows::thumbnails().loaded() && windows::thumbnails()().form().is_shown());
}

}  // namespace
