// The selector's wallpaper entries: style stored first, the picture as a bitmap, the path handed on;
// and the slideshow, one tick at a time.
#include <QImageReader>

#include <sys/stat.h>

#include <chrono>
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
