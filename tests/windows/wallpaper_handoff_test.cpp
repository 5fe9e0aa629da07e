// The hand-off queue on Windows: every wallpaper queued reaches the system's
// call, one after the other in the order asked, and the window thread
// learns when the queue is empty.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/wallpaper_handoff.h"
#include "platform/store/registry.h"
#include "temp_bitmap.h"

namespace {

TEST(Win32Handoff, EveryWallpaperReachesTheSystemInTheOrderAsked) {
    std::vector<std::string> paths;
    for (const char* name : {"handoff a.bmp", "handoff b.bmp", "handoff c.bmp"}) paths.push_back(temp_bitmap(name));
    for (int round = 0; round < 20; ++round) {
        for (const auto& path : paths) platform::queue_wallpaper({}, path);
        platform::wait_for_wallpapers();
        EXPECT_FALSE(platform::wallpaper_handoff_busy());
        EXPECT_EQ(platform::read_string_value("HKEY_CURRENT_USER\\Control Panel\\Desktop", "Wallpaper"), paths.back());
        std::rotate(paths.begin(), paths.begin() + 1, paths.end());
    }
    for (const auto& path : paths) ::DeleteFileA(path.c_str());
}

}  // namespace
