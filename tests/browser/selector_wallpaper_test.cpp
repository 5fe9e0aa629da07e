// The selector's wallpaper entries: style stored first, the picture as a bitmap, the path handed on.
#include <QImageReader>

#include <sys/stat.h>

#include "support/app_env.h"
#include "app/frame/mdi_form.h"
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

}  // namespace
