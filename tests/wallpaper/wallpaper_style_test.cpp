// The style values written before a wallpaper is set, and the wallpaper call
// that reads them and records the picture.
#include <gtest/gtest.h>

#include "platform/desktop_wallpaper.h"
#include "platform/registry.h"
#include "wallpaper/wallpaper_style.h"
#include "wallpaper_fixture.h"

using platform::WallpaperStyle;
using wallpaper_test::WallpaperTest;
using wallpaper_test::write_file;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class WallpaperStyleValues : public WallpaperTest {};

TEST_F(WallpaperStyleValues, TiledThenCentredWriteBothValuesInOrder) {
    wallpaper_style::write_tiled();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                       "\"WallpaperStyle\"=\"1\"\n\"TileWallpaper\"=\"1\"\n");
    wallpaper_style::write_centred();
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                       "\"WallpaperStyle\"=\"0\"\n\"TileWallpaper\"=\"0\"\n");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WallpaperStyleValues, UnwritableStoreShowsOneBoxPerValue) {
    make_store_unwritable();
    wallpaper_style::write_tiled();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.title, "Registry Write Error");
        EXPECT_EQ(box.text, "Access to this key is denied");
        EXPECT_EQ(box.icon, platform::MsgIcon::Critical);
    }
}

TEST_F(WallpaperStyleValues, DamagedStoreShowsTwoOpenErrorsAndStaysAsItWas) {
    write_file(store_path(), "not a registry export\n");
    wallpaper_style::write_centred();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.title, "Registry Open Error");
        EXPECT_EQ(box.text, "The Registry Database is corrupt!");
    }
    EXPECT_EQ(store(), "not a registry export\n");
}

TEST_F(WallpaperStyleValues, WallpaperCallReadsTheStyleAndRecordsThePicture) {
    wallpaper_style::write_tiled();
    EXPECT_TRUE(platform::SystemParametersInfoA(20, 0, "/pics/a b#1.bmp", 3));
    wallpaper_style::write_centred();
    EXPECT_TRUE(platform::SystemParametersInfoA(20, 0, "/pics/c.bmp", 3));
    ASSERT_EQ(wallpapers.size(), 2u);
    EXPECT_EQ(wallpapers[0].first, "/pics/a b#1.bmp");
    EXPECT_EQ(wallpapers[0].second, WallpaperStyle::Tiled);
    EXPECT_EQ(wallpapers[1].first, "/pics/c.bmp");
    EXPECT_EQ(wallpapers[1].second, WallpaperStyle::Centered);
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), "/pics/c.bmp");

    // Without the "update the profile" flag nothing is recorded.
    EXPECT_TRUE(platform::SystemParametersInfoA(20, 0, "/pics/d.bmp", 2));
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), "/pics/c.bmp");
}

TEST_F(WallpaperStyleValues, WallpaperCallWithoutStyleOrStoreStillApplies) {
    // No store at all: centred.
    EXPECT_TRUE(platform::SystemParametersInfoA(20, 0, "/x.bmp", 3));
    ASSERT_EQ(wallpapers.size(), 1u);
    EXPECT_EQ(wallpapers[0].second, WallpaperStyle::Centered);
    // An unwritable store does not stop the wallpaper; a failing backend is
    // reported as false.
    make_store_unwritable();
    services.desktop_wallpaper = [this](const std::string& path, WallpaperStyle style) {
        wallpapers.emplace_back(path, style);
        return false;
    };
    platform::install_services(services);
    EXPECT_FALSE(platform::SystemParametersInfoA(20, 0, "/y.bmp", 3));
    ASSERT_EQ(wallpapers.size(), 2u);
    EXPECT_EQ(wallpapers[1].first, "/y.bmp");
    EXPECT_TRUE(boxes.empty()) << "the wallpaper call shows nothing";
}

TEST_F(WallpaperStyleValues, OnlyTheSetWallpaperActionIsDone) {
    EXPECT_FALSE(platform::SystemParametersInfoA(21, 0, "/x.bmp", 3));
    EXPECT_FALSE(platform::SystemParametersInfoA(20, 0, "", 3));
    EXPECT_TRUE(wallpapers.empty());
    EXPECT_FALSE(std::filesystem::exists(store_path()));
    // A backend that throws does not escape the call.
    services.desktop_wallpaper = [](const std::string&, WallpaperStyle) -> bool {
        throw std::runtime_error("backend failed");
    };
    platform::install_services(services);
    EXPECT_FALSE(platform::SystemParametersInfoA(20, 0, "/x.bmp", 3));
}

}  // namespace
