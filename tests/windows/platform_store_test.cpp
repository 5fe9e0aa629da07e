// The registry routines over the real registry (under Wine in the test
// command): what they write is what the system reads back, and their result
// codes are the system's.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/store/registry.h"

namespace {

constexpr const char* kTestKey = "Software\\Glimmerbox test";

// The value as the system itself reads it: type and text.
std::pair<DWORD, std::string> system_value(const char* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    char data[64] = {};
    DWORD type = 0, size = sizeof data;
    ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    return {type, std::string(data, size)};
}

TEST(Win32Registry, ValuesSetThroughOurRoutinesAreTheSystemsStrings) {
    HKEY made = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &made, nullptr), 0);
    ::RegCloseKey(made);
    platform::RegKey key = 0;
    ASSERT_EQ(platform::RegOpenKeyExA(platform::kHkeyCurrentUser, kTestKey, 0, platform::kKeyWrite, &key), 0);
    EXPECT_EQ(platform::RegSetValueExA(key, "WallpaperStyle", 0, platform::kRegSz, "1", 2), 0);
    EXPECT_EQ(platform::RegSetValueExA(key, "Wallpaper", 0, platform::kRegSz, "C:\\\\x.bmp", 10), 0);
    EXPECT_EQ(platform::RegCloseKey(key), 0);
    EXPECT_EQ(system_value("WallpaperStyle"), std::make_pair(DWORD{REG_SZ}, std::string("1", 2)));
    EXPECT_EQ(system_value("Wallpaper"), std::make_pair(DWORD{REG_SZ}, std::string("C:\\\\x.bmp", 10)));
    EXPECT_EQ(platform::read_string_value(std::string("HKEY_CURRENT_USER\\") + kTestKey, "Wallpaper"), "C:\\\\x.bmp");
    EXPECT_EQ(platform::read_string_value(std::string("HKEY_CURRENT_USER\\") + kTestKey, "Missing"), std::nullopt);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
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
    // The desktop's key is there, as on every Windows.
    ASSERT_EQ(platform::RegOpenKeyExA(platform::kHkeyCurrentUser, "Control Panel\\Desktop", 0, platform::kKeyWrite,
                                      &key), 0);
    EXPECT_EQ(platform::RegCloseKey(key), 0);
}

}  // namespace
