// Start-up, the frame's click and closing.
#include <QWidget>

#include "app/mdi_form.h"
#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "support/app_env.h"

using namespace test_support;

namespace {

class StartupTest : public AppTest {};

TEST_F(StartupTest, FirstBrowserListsThePictureKindsAndStartsAtHome) {
    for (const char* n : {"beach.jpg", "Zebra.GIF", "icon.ico", "scan.Bmp", "drawing.wmf", "notes.txt", ".hidden.jpg"})
        home.write_file(std::string("pictures/") + n, "x");
    start_program(pictures);
    EXPECT_EQ(frame().form().window_state(), platform::kStateMaximized);
    frmBMPView& b = start_browser();
    EXPECT_FALSE(windows::main_browser_loaded());
    ASSERT_EQ(b.Filter1.list_count(), 5);
    EXPECT_EQ(b.Filter1.list_index(), 0);
    EXPECT_EQ(listed(b), (std::vector<std::string>{"beach.jpg", "icon.ico", "scan.Bmp", "Zebra.GIF"}));
    EXPECT_EQ(b.Dir1.path(), pictures);
    EXPECT_EQ(b.Drive1.drive(), "/ [system]");
    EXPECT_FALSE(b.VScroll1.visible() || b.HScroll1.visible());
    EXPECT_EQ(b.Timer1.interval(), 0);
    // The view width was taken by the load step, before the window was
    // maximised.
    EXPECT_GT(Module1::view_width, 9480);
    EXPECT_NE(Module1::view_width, b.form().width());
}

TEST_F(StartupTest, FrameClickMakesMainBrowserOnceAndStopsOnlyItsTimer) {
    start_program(pictures);
    frmBMPView& first = start_browser();
    first.Timer1.set_interval(1000);
    frame().MDIForm_Click();
    frmBMPView& main = windows::main_browser();
    EXPECT_EQ(main.form().caption(), "Glimmerbox (Tarvolin)");
    main.Timer1.set_interval(1000);
    frame().MDIForm_Click();
    EXPECT_EQ(&windows::main_browser(), &main);
    EXPECT_EQ(main.Timer1.interval(), 0);
    EXPECT_EQ(first.Timer1.interval(), 1000);
    first.Timer1.set_interval(0);
}

TEST_F(StartupTest, ClosingAnyBrowserOrTheFrameEndsTheProgram) {
    start_program(pictures);
    start_browser().form().window()->close();
    windows::main_browser().form().window()->close();
    frame().form().window()->close();
    EXPECT_EQ(recorded.end_program_calls, 3);
}

}  // namespace
