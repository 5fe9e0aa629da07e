// The style values written before a wallpaper is set, and the wallpaper call
// that reads them and records the picture.
#include <gtest/gtest.h>

#include "platform/desktop_wallpaper.h"
#include "platform/registry.h"
#include "wallpaper/wallpaper_style.h"
#include "wallpaper_fixture.h"

using platform::SystemParametersInfoA;
using platform::WallpaperStyle;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class WallpaperStyleValues : public wallpaper_test::WallpaperTest {};

TEST_F(WallpaperStyleValues, TiledThenCentredWriteBothValuesInOrder) {
    wallpaper_style::write_tiled();
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                       "\"WallpaperStyle\"=\"1\"\n\"TileWallpaper\"=\"1\"\n");
    wallpaper_style::write_centred();
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                       "\"WallpaperStyle\"=\"0\"\n\"TileWallpaper\"=\"0\"\n");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WallpaperStyleValues, UnwritableStoreShowsOneBoxPerValueAndClosesBothKeys) {
    make_store_unwritable();
    wallpaper_style::write_tiled();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.title, "Registry Write Error");
        EXPECT_EQ(box.text, "Access to this key is denied");
        EXPECT_EQ(box.icon, platform::MsgIcon::Critical);
    }
    // Handles are numbered in turn: the two before the next one are closed.
    platform::HKEY probe = 0;
    ASSERT_EQ(platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                      platform::KEY_WRITE, &probe), 0);
    EXPECT_EQ(platform::RegCloseKey(probe - 1), 6);
    EXPECT_EQ(platform::RegCloseKey(probe - 2), 6);
    EXPECT_EQ(platform::RegCloseKey(probe), 0);
}

TEST_F(WallpaperStyleValues, WallpaperCallReadsTheStyleAndRecordsThePicture) {
    EXPECT_TRUE(SystemParametersInfoA(20, 0, "/pics/x.bmp", 3)) << "no store at all: centred";
    wallpaper_style::write_tiled();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, "/pics/a b#1.bmp", 3));
    wallpaper_style::write_centred();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, "/pics/c.bmp", 3));
    EXPECT_EQ(wallpapers, (std::vector<std::pair<std::string, WallpaperStyle>>{
                              {"/pics/x.bmp", WallpaperStyle::Centered},
                              {"/pics/a b#1.bmp", WallpaperStyle::Tiled},
                              {"/pics/c.bmp", WallpaperStyle::Centered}}));
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), "/pics/c.bmp");
    // Without the "update the profile" flag nothing is recorded.
    EXPECT_TRUE(SystemParametersInfoA(20, 0, "/pics/d.bmp", 2));
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), "/pics/c.bmp");
    // Only the set-wallpaper action with a path is done; an unwritable store
    // does not stop it; a throwing backend is false; the call shows nothing.
    EXPECT_FALSE(SystemParametersInfoA(21, 0, "/x.bmp", 3));
    EXPECT_FALSE(SystemParametersInfoA(20, 0, "", 3));
    make_store_unwritable();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, "/y.bmp", 3));
    EXPECT_EQ(wallpapers.size(), 5u);
    services.desktop_wallpaper = [](const std::string&, WallpaperStyle) -> bool {
        throw std::runtime_error("backend failed");
    };
    platform::install_services(services);
    EXPECT_FALSE(SystemParametersInfoA(20, 0, "/z.bmp", 3));
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
