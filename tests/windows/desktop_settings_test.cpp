// The desktop's settings under Wine: our registry routines write what the
// system reads back and give the system's codes, the wallpaper call is the
// system's own, and the hand-off queue hands every wallpaper over in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/wallpaper_handoff.h"
#include "platform/store/registry.h"
#include "temp_folder.h"

namespace {

constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr unsigned kSendChange = platform::kSpifUpdateIniFileSendChange;

// A value of the desktop's key as the system itself reads it: type and bytes.
std::pair<DWORD, std::string> system_value(const char* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kDesktop, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    char data[MAX_PATH] = {};
    DWORD type = 0, size = sizeof data;
    ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    return {type, std::string(data, size)};
}

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

TEST(Win32Wallpaper, TheSystemCallRecordsThePictureAndKeepsTheStyleAskedFor) {
    wintest::TempFolder dir;
    const std::string first = dir.bitmap("test one.bmp"), second = dir.bitmap("test two.bmp");
    ASSERT_TRUE(platform::SystemParametersInfoA(platform::kSpiSetDeskWallpaper, 0, first, kSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), first);
    // Another action, or a folder (nothing selected), changes nothing.
    EXPECT_FALSE(platform::SystemParametersInfoA(21, 0, second, kSendChange));
    EXPECT_FALSE(platform::SystemParametersInfoA(platform::kSpiSetDeskWallpaper, 0, dir.at(""), kSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), first);
    EXPECT_EQ(desktop_value("No such value"), "(none)");
    // Tiled, written through our routines as the system's strings.
    platform::RegKey key = 0;
    ASSERT_EQ(platform::RegOpenKeyExA(platform::kHkeyCurrentUser, kDesktop, 0, platform::kKeyWrite, &key), 0);
    for (const char* name : {"WallpaperStyle", "TileWallpaper"}) {
        EXPECT_EQ(platform::RegSetValueExA(key, name, 0, platform::kRegSz, "1", 2), 0);
        EXPECT_EQ(system_value(name), std::make_pair(DWORD{REG_SZ}, std::string("1", 2)));
    }
    EXPECT_EQ(platform::RegCloseKey(key), 0);
    EXPECT_EQ(platform::stored_wallpaper_style(), platform::WallpaperStyle::Tiled);
    // A wallpaper queued while centred stays centred though tiled was written since.
    ASSERT_TRUE(platform::set_desktop_wallpaper(second, platform::WallpaperStyle::Centered, kSendChange));
    EXPECT_EQ(desktop_value("Wallpaper"), second);
    EXPECT_EQ(desktop_value("WallpaperStyle") + desktop_value("TileWallpaper"), "00");
}

TEST(Win32Handoff, EveryWallpaperReachesTheSystemInTheOrderAsked) {
    wintest::TempFolder dir;
    std::vector<std::string> paths;
    for (const char* name : {"handoff a.bmp", "handoff b.bmp", "handoff c.bmp"}) paths.push_back(dir.bitmap(name));
    for (int round = 0; round < 20; ++round) {
        for (const auto& path : paths) platform::queue_wallpaper({}, path);
        platform::wait_for_wallpapers();
        EXPECT_FALSE(platform::wallpaper_handoff_busy());
        EXPECT_EQ(desktop_value("Wallpaper"), paths.back());
        std::rotate(paths.begin(), paths.begin() + 1, paths.end());
    }
}

}  // namespace
