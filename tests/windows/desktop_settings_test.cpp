// The desktop's settings under Wine: our registry routines give the system's
// codes, and the wallpaper call is the system's own. (The hand-off queue in
// front of it is the same on every system; that it hands every wallpaper over
// in order here too, the end-to-end Auto Show shows on the painted desktop.)
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/desktop/desktop_wallpaper.h"
#include "platform/store/registry.h"
#include "temp_folder.h"

namespace {

constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr unsigned kSendChange = platform::kSpifUpdateIniFileSendChange;

std::string desktop_value(const char* name) {
    return platform::read_string_value(std::string("HKEY_CURRENT_USER\\") + kDesktop, name).value_or("(none)");
}

TEST(Win32Registry, FailuresGiveTheSystemsCodes) {
    platform::RegKey key = 0;
    struct Case { long got, want; };
    const Case cases[] = {
        {platform::RegOpenKeyExA(platform::kHkeyCurrentUser, "Software\\No such key of ours", 0,
                                 platform::kKeyWrite, &key), ERROR_FILE_NOT_FOUND},
        {platform::RegSetValueExA(0x0bad0bad, "x", 0, platform::kRegSz, "1", 2), ERROR_INVALID_HANDLE},
        {platform::RegCloseKey(0x0bad0bad), ERROR_INVALID_HANDLE},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
    EXPECT_EQ(key, 0u);
}

// (The values the windows write, as the system reads them, and the desktop
// it paints, the end-to-end wallpaper scenario shows.)
TEST(Win32Wallpaper, TheSystemCallTakesAFileOnlyAndKeepsTheStyleAskedFor) {
    wintest::TempFolder dir;
    const std::string first = dir.bitmap("test one.bmp"), second = dir.bitmap("test two.bmp");
    ASSERT_TRUE(platform::set_desktop_wallpaper(first, platform::WallpaperStyle::Tiled, kSendChange));
    EXPECT_EQ(platform::stored_wallpaper_style(), platform::WallpaperStyle::Tiled);
    // Another action, or a folder (nothing selected), changes nothing.
    EXPECT_FALSE(platform::SystemParametersInfoA(21, 0, second, kSendChange));
    EXPECT_FALSE(platform::SystemParametersInfoA(platform::kSpiSetDeskWallpaper, 0, dir.at(""), kSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), first);
    EXPECT_EQ(desktop_value("No such value"), "(none)");
    // A wallpaper queued while centred stays centred though tiled was written since.
    ASSERT_TRUE(platform::set_desktop_wallpaper(second, platform::WallpaperStyle::Centered, kSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), second);
    EXPECT_EQ(desktop_value("WallpaperStyle") + desktop_value("TileWallpaper"), "00");
}

}  // namespace
