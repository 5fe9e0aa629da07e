// The selector's wallpaper entries: style stored first, the picture as a bitmap, the path handed on;
// and the slideshow, one tick at a time.
#include <QImageReader>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>

#include "app/frame/mdi_form.h"
#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;
using platform::WallpaperStyle;

namespace {

class SelectorTest : public AppTest {
protected:
    QSize preview_size() const {
        QImageReader reader(QString::fromStdString(services.preview_bmp_path));
        reader.setFormat("bmp");
        return reader.read().size();
    }
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

TEST_F(SelectorTest, StyleStoredFirstAndOnlyGifAndJpgOfAnyCaseConvertedAtTheirOwnSize) {
    struct Case { const char* name; std::string bytes; bool converted; QSize size; };
    const std::vector<Case> cases = {
        {"Sea.JPG", jpeg_bytes(40, 30), true, {40, 30}},  {"c.GIF", gif_bytes(13, 7), true, {13, 7}},
        {"d.Jpg", jpeg_bytes(14, 7), true, {14, 7}},      {"b.jpeg", jpeg_bytes(12, 7), false, {}},
        {"a.bmp", bmp_bytes(11, 7), false, {}}};
    for (const auto& c : cases) home.write_file(std::string("pictures/") + c.name, c.bytes);
    home.write_file("pictures/other.bmp", bmp_bytes(10, 10));
    std::string stored;  // the store's two values when the desktop was asked
    services.desktop_wallpaper = [&](const std::string& path, WallpaperStyle style) {
        recorded.wallpapers.emplace_back(path, style);
        stored = style_value("WallpaperStyle").value_or("-") + style_value("TileWallpaper").value_or("-");
        return true;
    };
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.File1.set_pattern("*.*");
    int entry = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        select_file(b, c.name);
        b.Image1.load(at("other.bmp"));  // the file itself is read again
        choose(b, entry = 5 - entry);    // tiled and centred in turn
        const bool tiled = entry == 3;
        ASSERT_FALSE(recorded.wallpapers.empty());
        EXPECT_EQ(recorded.wallpapers.back().second, tiled ? WallpaperStyle::Tiled : WallpaperStyle::Centered);
        EXPECT_EQ(stored, tiled ? "11" : "00");
        EXPECT_EQ(recorded.wallpapers.back().first, c.converted ? services.preview_bmp_path : at(c.name));
        EXPECT_EQ(c.converted ? preview_size() : QSize(), c.size);
        EXPECT_EQ(frame().form().caption(), c.name);
    }
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(SelectorTest, NothingIsHandedOverUnlessTheChosenPictureWasLoadedAndConverted) {
    home.write_file("pictures/a.bmp", bmp_bytes(21, 9));
    home.write_file("pictures/b.gif", "GIF89a but nothing more");
    home.write_file("pictures/c.gif", gif_bytes(13, 7));
    home.make_folder(".local/share/glimmerbox");
    const std::string stale = home.write_file(".local/share/glimmerbox/preview.bmp", bmp_bytes(5, 5));
    start_program(pictures);
    frmBMPView& b = start_browser();
    choose(b, 2);  // no file selected: the folder
    select_file(b, "a.bmp");
    select_file(b, "b.gif");  // cannot be loaded; a.bmp stays on view
    choose(b, 2);
    EXPECT_EQ(frame().form().caption(), "b.gif");
    // A bitmap that cannot be written leaves the stale one, which is not set.
    ASSERT_EQ(::chmod(stale.c_str(), 0444), 0);
    select_file(b, "c.gif");
    choose(b, 2);
    EXPECT_EQ(wallpaper_paths(), Names{});
    EXPECT_EQ(preview_size(), QSize(5, 5));
    EXPECT_EQ(style_value("Wallpaper"), std::nullopt);
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(SelectorTest, SlideShowFromTheSecondEntryItWrapsAndPassesOverAnUnreadableFile) {
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

TEST_F(SelectorTest, SlideShowAPictureReplacedUnderTheSameNameIsShownAsItIsNow) {
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
    EXPECT_EQ(preview_size(), QSize(70, 30));

    ::unlink(at("a.jpg").c_str());
    choose(b, 0);  // the folder read again: b.jpg alone
    choose(b, 1);
    b.Timer1_Timer();
    replace("b.jpg", 90);
    b.Timer1_Timer();
    b.finish_wallpaper();
    EXPECT_EQ(b.Image1.width(), 90 * 15);
    EXPECT_EQ(preview_size(), QSize(90, 30));
    EXPECT_EQ(wallpaper_paths(), Names(4, services.preview_bmp_path));
}

TEST_F(SelectorTest, SlideShowABitmapThatCannotBeWrittenIsNoWallpaper) {
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

TEST_F(SelectorTest, SlideShowTheWindowAnswersWhileTheDesktopTakesItsTime) {
    std::promise<void> go_on;
    const std::shared_future<void> desktop_done = go_on.get_future().share();
    std::vector<bool> waited_for_the_tick;
    services.desktop_wallpaper = [&](const std::string&, WallpaperStyle) {
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
