// The wallpaper slideshow, one tick at a time.
#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

using AutoShowTest = AppTest;

TEST_F(AutoShowTest, FromTheSecondEntryItWrapsAndPassesOverAnUnreadableFile) {
    home.write_file("pictures/a.bmp", bmp_bytes(10, 5));
    home.write_file("pictures/b.bmp", bmp_bytes(20, 5));
    home.write_file("pictures/c.gif", "not a picture");
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "b.bmp");
    choose(b, 1);
    std::vector<int> widths;
    for (int i = 0; i < 5; ++i) {
        b.Timer1_Timer();
        widths.push_back(b.Image1.width());
    }
    // c.gif cannot be loaded: b.bmp stays on view and no wallpaper is set.
    EXPECT_EQ(wallpaper_paths(), (Names{at("b.bmp"), at("a.bmp"), at("b.bmp")}));
    EXPECT_EQ(widths, (std::vector<int>{300, 300, 150, 300, 300}));
    EXPECT_EQ(b.File1.file_name(), "c.gif");
    EXPECT_EQ(b.Timer1.interval(), 1000);
    EXPECT_TRUE(recorded.boxes.empty());

    b.Dir1.set_path(home.make_folder("pictures/empty"));  // an empty list sets nothing
    recorded.wallpapers.clear();
    choose(b, 1);
    b.Timer1_Timer();
    EXPECT_TRUE(recorded.wallpapers.empty());
    EXPECT_EQ(b.Timer1.interval(), 1000);
}

}  // namespace
