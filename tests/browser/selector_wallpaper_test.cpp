// The selector's wallpaper entries: style stored first, the picture as a bitmap, the path handed on;
// the slideshow, one tick at a time; and the one queue to the desktop that all windows share.
#include <QApplication>
#include <QImage>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <stdexcept>
#include <utility>

#include "app/frame/mdi_form.h"
#include "app/state/windows.h"
#include "platform/desktop/wallpaper_handoff.h"
#include "support/app_env.h"
#include "support/pictures.h"
#include "words/catalogue.h"

using namespace test_support;
using platform::WallpaperStyle;

namespace {

class SelectorTest : public AppTest {
protected:
    // The show started on `first`, in a pictures folder that holds a.bmp and b.bmp besides what the test wrote.
    frmBMPView& start_show(const std::string& first = "a.bmp") {
        home.write_file("pictures/a.bmp", bmp_bytes(10, 5));
        home.write_file("pictures/b.bmp", bmp_bytes(20, 5));
        start_program(pictures);
        frmBMPView& b = start_browser();
        select_file(b, first);
        choose(b, 1);
        return b;
    }
    // A tick once the wallpaper of the one before is through, as on a quick desktop.
    static void tick(frmBMPView& b) {
        platform::wait_for_wallpapers();
        b.Timer1_Timer();
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
    bool faulty = true;  // the first call only; read and written on the hand-off thread
    services.desktop_wallpaper = [&](const std::string& path, WallpaperStyle style) {
        if (std::exchange(faulty, false)) throw std::logic_error("bug");
        recorded.wallpapers.emplace_back(path, style);
        stored = style_value("WallpaperStyle").value_or("-") + style_value("TileWallpaper").value_or("-");
        return true;
    };
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.File1.set_pattern("*.*");
    // A fault on the way to the desktop is shown at once, and the next choices still go.
    select_file(b, "a.bmp");
    choose(b, 3);
    platform::wait_for_wallpapers();
    QCoreApplication::processEvents();  // the fault, posted by the hand-off thread
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find("bug"), std::string::npos);
    recorded.boxes.clear();
    int entry = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        select_file(b, c.name);
        b.Image1.load(at("other.bmp"));  // the file itself is read again
        choose(b, entry = 5 - entry);    // tiled and centred in turn
        platform::wait_for_wallpapers();
        const bool tiled = entry == 3;
        ASSERT_FALSE(recorded.wallpapers.empty());
        EXPECT_EQ(recorded.wallpapers.back().second, tiled ? WallpaperStyle::Tiled : WallpaperStyle::Centered);
        EXPECT_EQ(stored, tiled ? "11" : "00");
        EXPECT_EQ(recorded.wallpapers.back().first, c.converted ? services.preview_bmp_path : at(c.name));
        EXPECT_EQ(c.converted ? QImage(QString::fromStdString(services.preview_bmp_path), "BMP").size() : QSize(),
                  c.size);
        EXPECT_EQ(frame().form().caption(), c.name);
    }
    // A preview nobody may write is refused, even to root: the picture is no wallpaper.
    const std::string preview = read_file_bytes(services.preview_bmp_path);
    ::chmod(services.preview_bmp_path.c_str(), 0444);
    recorded.wallpapers.clear();
    select_file(b, "Sea.JPG");
    choose(b, 3);
    EXPECT_TRUE(wallpaper_paths().empty());
    EXPECT_EQ(read_file_bytes(services.preview_bmp_path), preview);
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(SelectorTest, SlideShowFromTheSecondEntryItWrapsAndPassesOverAnUnreadableFile) {
    home.write_file("pictures/c.gif", "not a picture");
    frmBMPView& b = start_show("b.bmp");
    std::vector<int> widths;
    for (int i = 0; i < 5; ++i) {
        tick(b);
        widths.push_back(b.Image1.width());
    }
    // c.gif cannot be loaded: b.bmp stays on view and no wallpaper is set.
    EXPECT_EQ(wallpaper_paths(), (Names{at("b.bmp"), at("a.bmp"), at("b.bmp")}));
    EXPECT_EQ(widths, (std::vector<int>{300, 300, 150, 300, 300}));
    EXPECT_EQ(b.File1.file_name(), "c.gif");
    EXPECT_EQ(b.Timer1.interval(), 1000);
    EXPECT_TRUE(recorded.boxes.empty());
    // The list shrinks below the next entry: the show starts again from the first.
    tick(b);
    tick(b);
    std::filesystem::remove(at("c.gif"));
    b.File1.refresh();
    tick(b);
    EXPECT_EQ(wallpaper_paths().back(), at("a.bmp"));

    // A list of one picture shows it, an empty one sets nothing.
    home.write_file("pictures/one/a.bmp", bmp_bytes(10, 5));
    for (const auto& [folder, wallpapers] : {std::pair{"one", 1u}, {"empty", 0u}}) {
        b.Dir1.set_path(home.make_folder(std::string("pictures/") + folder));
        recorded.wallpapers.clear();
        choose(b, 1);
        tick(b);
        EXPECT_EQ(wallpaper_paths().size(), wallpapers) << folder;
        EXPECT_EQ(b.Timer1.interval(), 1000);
    }
}

// A desktop whose first call holds on until the test lets it go (or a limit passes, so that a
// window that waits for it fails the test instead of hanging it).
struct HeldDesktop {
    std::promise<void> go_on;
    std::shared_future<void> released = go_on.get_future().share();
    std::atomic<int> calls{0};
    std::atomic<bool> held_out{false};  // the first call has ended
    std::function<bool(const std::string&, WallpaperStyle)> backend(Recorded& recorded) {
        return [this, &recorded](const std::string& path, WallpaperStyle style) {
            if (calls++ == 0) {
                released.wait_for(std::chrono::seconds(5));
                held_out = true;
            }
            recorded.wallpapers.emplace_back(path, style);
            return true;
        };
    }
};

// After the show, the user chooses Center in one browser and then Tile in the other: first in the
// one that ran the show (false) or in the other one (true).
class HeldDesktopTest : public SelectorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HeldDesktopTest, SlideShowTheWindowsGoOnAndTheWallpapersKeepTheOrderAndStyleAsked) {
    home.write_file("pictures/u.bmp", bmp_bytes(30, 5));
    HeldDesktop desktop;
    services.desktop_wallpaper = desktop.backend(recorded);
    frmBMPView& show = start_show();
    show.Timer1_Timer();
    const int next = show.file_index;
    show.Timer1_Timer();  // the first wallpaper is still on its way: this tick is left out
    EXPECT_EQ(show.file_index, next);
    frame().form().set_window_state(platform::kStateNormal);
    show.Timer1_Timer();
    EXPECT_EQ(show.Timer1.interval(), 0);
    EXPECT_EQ(frame().form().caption(), words::say(words::kFrameCaption));
    frmBMPView& other = windows::main_browser();
    for (const auto& [window, entry] : {std::pair{GetParam() ? &other : &show, 2}, {GetParam() ? &show : &other, 3}}) {
        select_file(*window, "u.bmp");
        choose(*window, entry);
    }
    EXPECT_FALSE(desktop.held_out);  // neither the ticks nor the choices waited for the desktop
    desktop.go_on.set_value();
    platform::wait_for_wallpapers();
    EXPECT_EQ(recorded.wallpapers, (std::vector<std::pair<std::string, WallpaperStyle>>{
                                       {at("a.bmp"), WallpaperStyle::Centered},
                                       {at("u.bmp"), WallpaperStyle::Centered},
                                       {at("u.bmp"), WallpaperStyle::Tiled}}));
    EXPECT_TRUE(recorded.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(OtherWindowFirst, HeldDesktopTest, ::testing::Bool());

}  // namespace
