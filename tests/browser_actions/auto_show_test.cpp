// The wallpaper slideshow, one tick at a time.
#include "actions_fixture.h"
#include "app/mdi_form.h"
#include "support/pictures.h"

using namespace test_support;

namespace actions_test {
namespace {

class AutoShowTest : public ActionsTest {};

TEST_F(AutoShowTest, OneFileIsSetOnEveryTickAndAnEmptyListSetsNothing) {
    home.write_file("pictures/only.bmp", bmp_bytes(9, 9));
    start_program(pictures);
    frmBMPView& b = start_browser();
    choose(b, 1);
    for (int i = 0; i < 3; ++i) b.Timer1_Timer();
    EXPECT_EQ(wallpaper_paths(), Names(3, at("only.bmp")));
    for (const auto& w : recorded.wallpapers) EXPECT_EQ(w.second, platform::WallpaperStyle::Centered);
    EXPECT_EQ(frame().form().caption(), "only.bmp");

    b.Dir1.set_path(home.make_folder("pictures/empty"));
    recorded.wallpapers.clear();
    choose(b, 1);
    for (int i = 0; i < 3; ++i) b.Timer1_Timer();
    EXPECT_TRUE(recorded.wallpapers.empty());
    EXPECT_EQ(b.Timer1.interval(), 1000);
    EXPECT_EQ(b.File1.list_index(), -1);
}

TEST_F(AutoShowTest, ThreeFilesFromTheSecondFollowListOrderAndWrap) {
    for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) home.write_file(std::string("pictures/") + n, bmp_bytes(9, 9));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "b.bmp");
    choose(b, 1);
    for (int i = 0; i < 5; ++i) b.Timer1_Timer();
    EXPECT_EQ(wallpaper_paths(), (Names{at("b.bmp"), at("c.bmp"), at("a.bmp"), at("b.bmp"), at("c.bmp")}));
    EXPECT_EQ(b.File1.file_name(), "c.bmp");
}

TEST_F(AutoShowTest, UnreadableFileIsPassedOverSilently) {
    home.write_file("pictures/a.bmp", bmp_bytes(10, 5));
    home.write_file("pictures/b.gif", "not a picture");
    home.write_file("pictures/c.bmp", bmp_bytes(30, 5));
    start_program(pictures);
    frmBMPView& b = start_browser();
    choose(b, 1);
    b.Timer1_Timer();
    b.Timer1_Timer();  // b.gif: the picture on view stays a.bmp
    EXPECT_EQ(b.Image1.width(), 150);
    b.Timer1_Timer();
    EXPECT_EQ(b.Image1.width(), 450);
    EXPECT_EQ(recorded.wallpapers.back().first, at("c.bmp"));
    EXPECT_EQ(b.Timer1.interval(), 1000);
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(AutoShowTest, RestoringTheFrameStopsOnTheNextTick) {
    for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) home.write_file(std::string("pictures/") + n, bmp_bytes(9, 9));
    start_program(pictures);
    frmBMPView& b = start_browser();
    for (int restored : {platform::kStateMaximized, platform::kStateNormal}) {
        SCOPED_TRACE(restored);
        b.File1.refresh();
        b.file_index = 0;
        choose(b, 1);
        b.Timer1_Timer();
        b.Timer1_Timer();
        const std::size_t set = recorded.wallpapers.size();
        frame().form().set_window_state(restored);
        b.Timer1_Timer();
        EXPECT_EQ(b.Timer1.interval(), 0);
        EXPECT_EQ(frame().form().caption(), "v1.7");
        EXPECT_EQ(b.File1.file_name(), "b.bmp");
        EXPECT_EQ(recorded.wallpapers.size(), set);
    }
}

}  // namespace
}  // namespace actions_test
