// The wallpaper call is the system's own (under Wine in the test command):
// it records the picture as the desktop's Wallpaper value.
#include <windows.h>

#include <gtest/gtest.h>


#include "platform/desktop/desktop_wallpaper.h"
#include "platform/store/registry.h"
#include "temp_bitmap.h"

namespace {

std::string desktop_value(const char* name) {
    return platform::read_string_value("HKEY_CURRENT_USER\\Control Panel\\Desktop", name).value_or("(none)");
}

TEST(Win32Wallpaper, TheSystemCallRecordsThePictureAndKeepsTheStyleAskedFor) {
    const std::string first = temp_bitmap("glimmerbox test one.bmp");
    const std::string second = temp_bitmap("glimmerbox test two.bmp");
    ASSERT_TRUE(platform::SystemParametersInfoA(platform::kSpiSetDeskWallpaper, 0, first,
                                                platform::kSpifUpdateIniFileSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), first);
    // Another action, or a folder (nothing selected), changes nothing.
    EXPECT_FALSE(platform::SystemParametersInfoA(21, 0, second, platform::kSpifUpdateIniFileSendChange));
    EXPECT_FALSE(platform::SystemParametersInfoA(platform::kSpiSetDeskWallpaper, 0, temp_folder() + "\\",
                                                 platform::kSpifUpdateIniFileSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), first);
    // A wallpaper queued while centred stays centred though tiled was written since.
    platform::RegKey key = 0;
    ASSERT_EQ(platform::RegOpenKeyExA(platform::kHkeyCurrentUser, "Control Panel\\Desktop", 0,
                                      platform::kKeyWrite, &key), 0);
    platform::RegSetValueExA(key, "WallpaperStyle", 0, platform::kRegSz, "1", 2);
    platform::RegSetValueExA(key, "TileWallpaper", 0, platform::kRegSz, "1", 2);
    platform::RegCloseKey(key);
    EXPECT_EQ(platform::stored_wallpaper_style(), platform::WallpaperStyle::Tiled);
    ASSERT_TRUE(platform::set_desktop_wallpaper(second, platform::WallpaperStyle::Centered,
                                                platform::kSpifUpdateIniFileSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), second);
    EXPECT_EQ(desktop_value("WallpaperStyle") + desktop_value("TileWallpaper"), "00");
    ::DeleteFileA(first.c_str());
    ::DeleteFileA(second.c_str());
}

}  // namespace
