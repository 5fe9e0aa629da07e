// Start-up, the frame, the browser windows and closing.
#include <QWidget>

#include <gtest/gtest.h>

#include "app/mdi_form.h"
#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/runtime.h"
#include "platform/types.h"
#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

class StartupTest : public AppTest {};

TEST_F(StartupTest, FrameAndFirstBrowserAsAPersonSeesThem) {
    home.write_file("pictures/beach.jpg", jpeg_bytes(40, 30));
    home.write_file("pictures/Zebra.GIF", gif_bytes(10, 10));
    home.write_file("pictures/icon.ico", ico_bytes({pattern_image(16, 16)}));
    home.write_file("pictures/scan.Bmp", bmp_bytes(10, 10));
    home.write_file("pictures/drawing.wmf", "x");
    home.write_file("pictures/notes.txt", "x");
    home.write_file("pictures/.hidden.jpg", jpeg_bytes(4, 4));
    start_program(pictures);

    EXPECT_EQ(frame().form().caption(), "v1.7");
    EXPECT_EQ(frame().form().window_state(), platform::kStateMaximized);
    frmBMPView& b = start_browser();
    EXPECT_EQ(b.form().caption(), "Glimmerbox - Tarvolin");
    EXPECT_EQ(b.form().window_state(), platform::kStateMaximized);
    EXPECT_FALSE(windows::main_browser_loaded());

    ASSERT_EQ(b.Filter1.list_count(), 5);
    EXPECT_EQ(b.Filter1.list(0), "Graphics files (*.JPG;*.GIF;*.BMP;*.WMF;*.ICO)");
    EXPECT_EQ(b.Filter1.list(4), "Thumbnail View");
    EXPECT_EQ(b.Filter1.list_index(), 0);
    EXPECT_EQ(b.File1.pattern(), "*.GIF;*.JPG;*.BMP;*.ICO");
    EXPECT_EQ(listed(b), (std::vector<std::string>{"beach.jpg", "icon.ico", "scan.Bmp", "Zebra.GIF"}));
    EXPECT_EQ(b.Dir1.path(), pictures);
    EXPECT_EQ(b.Drive1.drive(), "/ [system]");
    EXPECT_FALSE(b.VScroll1.visible());
    EXPECT_FALSE(b.HScroll1.visible());
    EXPECT_EQ(b.Timer1.interval(), 0);
    EXPECT_EQ(b.image_top, 135);
    EXPECT_EQ(b.image_left, 2130);
    EXPECT_EQ(b.VScroll1.left(), platform::screen_width_twips() - 300);
    // The load step ran before the window was shown maximised.
    EXPECT_GT(Module1::view_width, 9480);
    EXPECT_NE(Module1::view_width, b.form().width());
    EXPECT_GT(b.form().width(), platform::screen_width_twips() - 200);  // the frame's own border
}

TEST_F(StartupTest, FrameClickMakesMainBrowserOnceAndStopsOnlyItsTimer) {
    start_program(pictures);
    frmBMPView& first = start_browser();
    first.Timer1.set_interval(1000);
    frame().MDIForm_Click();
    ASSERT_TRUE(windows::main_browser_loaded());
    frmBMPView& main = windows::main_browser();
    EXPECT_NE(&main, &first);
    EXPECT_EQ(main.form().caption(), "Glimmerbox (Tarvolin)");
    EXPECT_TRUE(main.form().is_shown());
    EXPECT_EQ(main.Timer1.interval(), 0);
    EXPECT_EQ(first.Timer1.interval(), 1000);
    main.Timer1.set_interval(1000);
    frame().MDIForm_Click();
    EXPECT_EQ(&windows::main_browser(), &main);
    EXPECT_EQ(main.Timer1.interval(), 0);
    first.Timer1.set_interval(0);
}

TEST_F(StartupTest, ClosingAnyBrowserOrTheFrameEndsTheProgram) {
    start_program(pictures);
    start_browser().form().window()->close();
    EXPECT_EQ(recorded.end_program_calls, 1);
    windows::main_browser().form().window()->close();
    EXPECT_EQ(recorded.end_program_calls, 2);
    frame().form().window()->close();
    EXPECT_EQ(recorded.end_program_calls, 3);
}

}  // namespace
