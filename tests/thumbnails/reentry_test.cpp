// Events served by the page loop's event pump that come back into the
// window: page changes, clicks and closing while a page loads.
#include <gtest/gtest.h>

#include <QWidget>

#include <QPointer>

#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class ReentryTest : public ThumbsTest {};

TEST_F(ReentryTest, PageChangesWhileLoadingAreServedAfterwardsTheLatestWinning) {
    make_pictures(200);
    frmThumbnails& t = open();
    t.form().show();
    messages.clear();
    int depth_seen = 0;
    on_pump = [&](const std::string& text) {
        if (text == "Loading image  58") {
            t.VScroll1.set_value(4);  // a drag going on while the first step loads
            t.VScroll1.set_value(12);
            depth_seen = t.loading() ? 1 : 0;
        }
    };
    t.VScroll1.set_value(1);
    EXPECT_EQ(depth_seen, 1);
    EXPECT_EQ(t.first_index, 12 * 8);
    EXPECT_EQ(t.Image1.size(), static_cast<size_t>((12 + 7) * 8));
    EXPECT_TRUE(t.Image1[96]->visible());
    EXPECT_FALSE(t.Image1[8]->visible());  // the page of row 1 was never left shown
    EXPECT_FALSE(t.loading());
    // Every picture announced once, in order.
    ASSERT_EQ(messages.size(), static_cast<size_t>((12 + 7) * 8 - 56));
    for (size_t k = 0; k < messages.size(); ++k) {
        EXPECT_EQ(messages[k], "Loading image  " + std::to_string(57 + k));
    }
}

TEST_F(ReentryTest, AClickWhileLoadingIsIgnored) {
    make_pictures(200);
    frmThumbnails& t = open();
    on_pump = [&](const std::string& text) {
        if (text == "Loading image  60") t.Image1_Click(57);
    };
    t.VScroll1.set_value(1);
    EXPECT_EQ(t.zoom_index, 9999);
    EXPECT_TRUE(t.Image1[57]->stretch());
    t.Image1_Click(57);  // once loading is over, it works
    EXPECT_EQ(t.zoom_index, 57);
}

TEST_F(ReentryTest, ClosingWhileLoadingStopsTheLoopAndTheWindowGoesAfterwards) {
    make_pictures(200);
    frmThumbnails& t = open();
    t.form().show();
    QPointer<QWidget> window(t.form().window());
    bool closed_inside = false;
    on_pump = [&](const std::string& text) {
        if (text == "Loading image  60" && !closed_inside) {
            closed_inside = true;
            t.form().window()->close();  // the close box
        }
    };
    t.VScroll1.set_value(3);
    EXPECT_TRUE(closed_inside);
    // The unload step ran at once: images removed, main_browser on the folder.
    EXPECT_FALSE(windows::thumbnails().loaded());
    ASSERT_TRUE(windows::main_browser_loaded());
    EXPECT_EQ(windows::main_browser().Dir1.path(), pictures);
    // Nothing after picture 60 was announced or loaded.
    EXPECT_EQ(messages.back(), "Loading image  60");
    EXPECT_FALSE(progress_shown());
    on_pump = nullptr;
    settle();
    EXPECT_TRUE(window.isNull());  // the object went once its loop had returned
}

TEST_F(ReentryTest, ThumbnailViewChosenAgainWhileAPageLoads) {
    make_pictures(200);
    frmThumbnails& t = open();
    t.form().show();
    QPointer<QWidget> old_window(t.form().window());
    bool chosen = false;
    on_pump = [&](const std::string& text) {
        if (text == "Loading image  70" && !chosen) {
            chosen = true;
            start_browser().Filter1.set_list_index(4);
        }
    };
    t.VScroll1.set_value(3);
    ASSERT_TRUE(chosen);
    ASSERT_TRUE(windows::thumbnails().loaded());
    frmThumbnails& fresh = windows::thumbnails()();
    EXPECT_NE(&fresh, &t);
    EXPECT_TRUE(fresh.form().is_shown());
    EXPECT_EQ(fresh.first_index, 0);
    on_pump = nullptr;
    settle();
    EXPECT_TRUE(old_window.isNull());
    EXPECT_TRUE(windows::thumbnails().loaded());
}

TEST_F(ReentryTest, CancelAndAPageChangeInTheSamePump) {
    make_pictures(200);
    frmThumbnails& t = open();
    on_pump = [&](const std::string& text) {
        if (text == "Loading image  58" && windows::progress().loaded()) {
            t.VScroll1.set_value(9);
            windows::progress()().cmdCancel.press();
        }
    };
    t.VScroll1.set_value(1);
    EXPECT_EQ(Module1::cancel_flag, -1);
    EXPECT_EQ(t.Image1.size(), 57u);
    EXPECT_EQ(t.first_index, 0);
    EXPECT_FALSE(t.loading());
}

}  // namespace
