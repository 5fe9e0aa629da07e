// The wallpaper slideshow, one tick at a time.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <QImage>

#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

class AutoShowTest : public AppTest {
protected:
    // The show started on `first`, in a pictures folder of a.jpg and b.jpg unless filled before.
    frmBMPView& start_show(const std::string& first = "a.jpg") {
        if (std::filesystem::is_empty(pictures)) {
            home.write_file("pictures/a.jpg", jpeg_bytes(40, 30));
            home.write_file("pictures/b.jpg", jpeg_bytes(50, 30));
        }
        start_program(pictures);
        frmBMPView& b = start_browser();
        select_file(b, first);
        choose(b, 1);
        return b;
    }
};

QSize bmp_size(const std::string& path) {
    QImage image;
    image.loadFromData(QByteArray::fromStdString(read_file_bytes(path)), "BMP");
    return image.size();
}

TEST_F(AutoShowTest, FromTheSecondEntryItWrapsAndPassesOverAnUnreadableFile) {
    home.write_file("pictures/a.bmp", bmp_bytes(10, 5));
    home.write_file("pictures/b.bmp", bmp_bytes(20, 5));
    home.write_file("pictures/c.gif", "not a picture");
    frmBMPView& b = start_show("b.bmp");
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

TEST_F(AutoShowTest, APictureReplacedUnderTheSameNameIsShownAsItIsNow) {
    home.make_folder("new");
    frmBMPView& b = start_show();
    const auto replace = [&](const std::string& name, int width) {
        std::rename(home.write_file("new/" + name, jpeg_bytes(width, 30)).c_str(), at(name).c_str());
    };
    // b.jpg replaced after its decode ahead; then again when alone in the folder.
    b.Timer1_Timer();
    b.neighbour_pictures.wait_idle();
    replace("b.jpg", 70);
    b.Timer1_Timer();
    b.finish_wallpaper();
    EXPECT_EQ(b.Image1.width(), 70 * 15);
    EXPECT_EQ(bmp_size(services.preview_bmp_path), QSize(70, 30));

    ::unlink(at("a.jpg").c_str());
    choose(b, 0);  // the folder read again: b.jpg alone
    choose(b, 1);
    b.Timer1_Timer();
    replace("b.jpg", 90);
    b.Timer1_Timer();
    b.finish_wallpaper();
    EXPECT_EQ(b.Image1.width(), 90 * 15);
    EXPECT_EQ(bmp_size(services.preview_bmp_path), QSize(90, 30));
    EXPECT_EQ(wallpaper_paths(), Names(4, services.preview_bmp_path));
}

TEST_F(AutoShowTest, ABitmapThatCannotBeWrittenIsNoWallpaper) {
    home.write_file("pictures/a.jpg", jpeg_bytes(40, 30));
    home.write_file("pictures/b.bmp", bmp_bytes(20, 5));
    // A preview nobody may write is refused, even to root.
    const std::string preview = home.write_file(".local/share/glimmerbox/preview.bmp", "kept");
    ::chmod(preview.c_str(), 0444);
    frmBMPView& b = start_show();
    b.Timer1_Timer();
    b.Timer1_Timer();
    b.finish_wallpaper();
    EXPECT_EQ(frame().form().caption(), "b.bmp");
    EXPECT_EQ(wallpaper_paths(), Names{at("b.bmp")});
    EXPECT_EQ(read_file_bytes(preview), "kept");
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(AutoShowTest, TheWindowAnswersWhileTheDesktopTakesItsTime) {
    std::promise<void> go_on;
    const std::shared_future<void> desktop_done = go_on.get_future().share();
    std::vector<bool> waited_for_the_tick;
    services.desktop_wallpaper = [&](const std::string&, platform::WallpaperStyle) {
        // Done by the tick itself, this would wait out the whole limit.
        waited_for_the_tick.push_back(desktop_done.wait_for(std::chrono::seconds(3)) == std::future_status::ready);
        return true;
    };
    frmBMPView& b = start_show();
    b.Timer1_Timer();
    EXPECT_EQ(frame().form().caption(), "a.jpg");
    // The frame restored while the desktop is still busy: the next tick stops the show at once.
    frame().form().set_window_state(platform::kStateNormal);
    b.Timer1_Timer();
    EXPECT_EQ(b.Timer1.interval(), 0);
    EXPECT_EQ(frame().form().caption(), "v1.7");
    go_on.set_value();
    b.finish_wallpaper();
    EXPECT_EQ(waited_for_the_tick, std::vector<bool>{true});
}

}  // namespace
