// The slideshow tick with its pictures decoded ahead and the wallpaper handed
// to the desktop on a thread of its own: never a stale picture, a bitmap that
// cannot be written is still no wallpaper, and the window answers while the
// desktop takes its time.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <QImage>

#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

using AutoShowTickTest = AppTest;

QSize bmp_size(const std::string& path) {
    QImage image;
    image.loadFromData(QByteArray::fromStdString(read_file_bytes(path)), "BMP");
    return image.size();
}

TEST_F(AutoShowTickTest, APictureReplacedUnderTheSameNameIsShownAsItIsNow) {
    home.write_file("pictures/a.jpg", jpeg_bytes(40, 30));
    home.write_file("pictures/b.jpg", jpeg_bytes(50, 30));
    home.make_folder("new");
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.jpg");
    choose(b, 1);
    const auto replace = [&](const std::string& name, int width) {
        std::rename(home.write_file("new/" + name, jpeg_bytes(width, 30)).c_str(), at(name).c_str());
    };
    // a.jpg goes to the desktop while b.jpg is decoded ahead; then b.jpg is
    // replaced. And the picture just shown, when it comes round again in a
    // folder of one.
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

TEST_F(AutoShowTickTest, ABitmapThatCannotBeWrittenIsNoWallpaper) {
    home.write_file("pictures/a.jpg", jpeg_bytes(40, 30));
    home.write_file("pictures/b.bmp", bmp_bytes(20, 5));
    // A preview nobody may write is refused, even to root.
    home.make_folder(".local/share/glimmerbox");
    const std::string preview = home.write_file(".local/share/glimmerbox/preview.bmp", "kept");
    ::chmod(preview.c_str(), 0444);
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.jpg");
    choose(b, 1);
    b.Timer1_Timer();
    b.Timer1_Timer();
    b.finish_wallpaper();
    EXPECT_EQ(frame().form().caption(), "b.bmp");
    EXPECT_EQ(wallpaper_paths(), Names{at("b.bmp")});
    EXPECT_EQ(read_file_bytes(preview), "kept");
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(AutoShowTickTest, TheWindowAnswersWhileTheDesktopTakesItsTime) {
    home.write_file("pictures/a.jpg", jpeg_bytes(40, 30));
    home.write_file("pictures/b.jpg", jpeg_bytes(50, 30));
    std::promise<void> go_on;
    const std::shared_future<void> desktop_done = go_on.get_future().share();
    std::vector<bool> waited_for_the_tick;
    services.desktop_wallpaper = [&](const std::string&, platform::WallpaperStyle) {
        // Done by the tick itself, this would wait out the whole limit.
        waited_for_the_tick.push_back(desktop_done.wait_for(std::chrono::seconds(3)) == std::future_status::ready);
        return true;
    };
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.jpg");
    choose(b, 1);
    b.Timer1_Timer();
    EXPECT_EQ(frame().form().caption(), "a.jpg");
    // The frame restored while the desktop is still busy: the next tick
    // stops the show at once.
    frame().form().set_window_state(platform::kStateNormal);
    b.Timer1_Timer();
    EXPECT_EQ(b.Timer1.interval(), 0);
    EXPECT_EQ(frame().form().caption(), "v1.7");
    go_on.set_value();
    b.finish_wallpaper();
    EXPECT_EQ(waited_for_the_tick, std::vector<bool>{true});
}

}  // namespace
