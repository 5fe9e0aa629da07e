// The wallpaper slideshow, one tick at a time.
#include "actions_fixture.h"
#include "app/mdi_form.h"
#include "browser/frm_bmp_view.h"
#include "support/pictures.h"

using namespace test_support;
using platform::WallpaperStyle;

namespace actions_test {
namespace {

class AutoShowTest : public ActionsTest {
protected:
    std::string at(const std::string& name) const { return pictures + "/" + name; }
};

TEST_F(AutoShowTest, OneFileIsSetAgainOnEveryTick) {
    home.write_file("pictures/only.bmp", bmp_bytes(9, 9));
    start_program(pictures);
    frmBMPView& b = start_browser();
    choose(b, 1);
    for (int i = 0; i < 3; ++i) {
        b.Timer1_Timer();
        EXPECT_EQ(b.File1.list_index(), 0);
        EXPECT_EQ(b.file_index, 0);
    }
    EXPECT_EQ(wallpaper_paths(), (std::vector<std::string>(3, at("only.bmp"))));
    for (const auto& w : recorded.wallpapers) EXPECT_EQ(w.second, WallpaperStyle::Centered);
    EXPECT_EQ(frame().form().caption(), "only.bmp");
    EXPECT_EQ(b.Timer1.interval(), 1000);
}

TEST_F(AutoShowTest, ThreeFilesFromTheSecondFollowListOrderAndWrap) {
    home.write_file("pictures/a.bmp", bmp_bytes(10, 5));
    home.write_file("pictures/b.bmp", bmp_bytes(20, 5));
    home.write_file("pictures/c.bmp", bmp_bytes(30, 5));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "b.bmp");
    ASSERT_EQ(b.file_index, 1);
    choose(b, 1);
    std::vector<int> widths;
    for (int i = 0; i < 5; ++i) {
        b.Timer1_Timer();
        widths.push_back(b.Image1.width() / 15);
    }
    EXPECT_EQ(wallpaper_paths(),
              (std::vector<std::string>{at("b.bmp"), at("c.bmp"), at("a.bmp"), at("b.bmp"), at("c.bmp")}));
    EXPECT_EQ(widths, (std::vector<int>{20, 30, 10, 20, 30}));
    EXPECT_EQ(b.File1.list_index(), 2);
    EXPECT_EQ(b.file_index, 0);
}

TEST_F(AutoShowTest, UnreadableFileIsPassedOverAfterOneTick) {
    home.write_file("pictures/a.bmp", bmp_bytes(10, 5));
    home.write_file("pictures/b.gif", "not a picture");
    home.write_file("pictures/c.bmp", bmp_bytes(30, 5));
    start_program(pictures);
    frmBMPView& b = start_browser();
    choose(b, 1);
    b.Timer1_Timer();
    b.Timer1_Timer();  // b.gif: the picture on view stays a.bmp
    EXPECT_EQ(b.Image1.width(), twips(10));
    EXPECT_EQ(b.file_index, 2);
    b.Timer1_Timer();
    EXPECT_EQ(b.Image1.width(), twips(30));
    EXPECT_EQ(b.File1.file_name(), "c.bmp");
    ASSERT_EQ(recorded.wallpapers.size(), 3u);
    EXPECT_EQ(recorded.wallpapers[2].first, at("c.bmp"));
    EXPECT_EQ(b.Timer1.interval(), 1000);
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(AutoShowTest, EmptyListChangesNothingAndKeepsTicking) {
    home.write_file("pictures/notes.txt", "no pictures here");
    start_program(pictures);
    frmBMPView& b = start_browser();
    choose(b, 1);
    const std::string caption = frame().form().caption();
    for (int i = 0; i < 3; ++i) b.Timer1_Timer();
    EXPECT_TRUE(recorded.wallpapers.empty());
    EXPECT_EQ(b.Timer1.interval(), 1000);
    EXPECT_EQ(b.file_index, 0);
    EXPECT_EQ(b.File1.list_index(), -1);
    EXPECT_EQ(frame().form().caption(), caption);
    EXPECT_EQ(frame().form().window_state(), 1);
}

TEST_F(AutoShowTest, RestoringTheFrameStopsOnTheNextTick) {
    home.write_file("pictures/a.bmp", bmp_bytes(10, 5));
    home.write_file("pictures/b.bmp", bmp_bytes(20, 5));
    home.write_file("pictures/c.bmp", bmp_bytes(30, 5));
    start_program(pictures);
    frmBMPView& b = start_browser();
    for (int restored_state : {2, 0}) {
        SCOPED_TRACE(restored_state);
        recorded.wallpapers.clear();
        b.File1.refresh();
        b.file_index = 0;
        choose(b, 1);
        ASSERT_EQ(frame().form().window_state(), 1);
        b.Timer1_Timer();
        b.Timer1_Timer();
        EXPECT_EQ(frame().form().caption(), "b.bmp");

        frame().form().set_window_state(restored_state);
        b.Timer1_Timer();
        EXPECT_EQ(b.Timer1.interval(), 0);
        EXPECT_EQ(frame().form().caption(), "v1.7");
        EXPECT_EQ(b.File1.file_name(), "b.bmp");
        EXPECT_EQ(b.file_index, 2);
        EXPECT_EQ(recorded.wallpapers.size(), 2u);
    }
}

}  // namespace
}  // namespace actions_test
