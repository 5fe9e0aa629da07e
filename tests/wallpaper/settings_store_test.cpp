// The settings store file behind the registry calls: atomic replacement, and
// stores edited by hand or damaged.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "platform/store/registry.h"
#include "wallpaper_fixture.h"

using namespace platform;
using wallpaper_test::write_file;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class SettingsStore : public wallpaper_test::WallpaperTest {
protected:
    // Opens the desktop key, sets one string value, closes; the first failure.
    long set(const std::string& name, const std::string& value) {
        HKEY key = 0;
        if (const long rc = RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &key))
            return rc;
        const long rc = RegSetValueExA(key, name, 0, REG_SZ, value.c_str(),
                                       static_cast<std::uint32_t>(value.size() + 1));
        EXPECT_EQ(RegCloseKey(key), 0);
        return rc;
    }
};

TEST_F(SettingsStore, AFailedWriteLeavesTheOldFileWhole) {
    ASSERT_EQ(set("Wallpaper", "/pics/a.bmp"), 0);
    const std::string before = store();
    // Files may not grow past 20 bytes: the new store fails part-way.
    rlimit old{}, small{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    small = {20, old.rlim_max};
    const auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const long rc = set("WallpaperStyle", "1");
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(rc, 5);
    EXPECT_EQ(store(), before);
    EXPECT_EQ(test_support::entries_of(std::filesystem::path(store_path).parent_path().string()),
              std::vector<std::string>{"registry.reg"}) << "no temporary file is left beside the store";
}

TEST_F(SettingsStore, HandEditedStoreKeepsForeignLinesAndTheirLineEnds) {
    // Edited with different tools: both kinds of line end, a comment ending in
    // a stray carriage return, a wrapped value, no line end on the last line.
    const std::string head =
        "REGEDIT4\n; my notes\r\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Blob\"=hex:01,02,\\\r\n  03\n@=\"default\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n";
    write_file(store_path,
               head + "\"TileWallpaper\"=dword:00000001\r\n  \"WallpaperStyle\" = \"2\"  \r\n\"Keep\"=\"this\"");
    EXPECT_EQ(read_string_value(kDesktop, "TileWallpaper"), std::nullopt) << "not a string";
    EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), "2");
    EXPECT_EQ(read_string_value("HKEY_CURRENT_USER\\Software\\Other", ""), "default");
    ASSERT_EQ(set("WallpaperStyle", "1"), 0);
    ASSERT_EQ(set("TileWallpaper", "1"), 0);
    ASSERT_EQ(set("Wallpaper", "/p.bmp"), 0);
    const std::string once = head +
        "\"TileWallpaper\"=\"1\"\r\n\"WallpaperStyle\"=\"1\"\r\n\"Keep\"=\"this\"\n\"Wallpaper\"=\"/p.bmp\"\n";
    EXPECT_EQ(store(), once);
    ASSERT_EQ(set("Wallpaper", "/p.bmp"), 0);
    EXPECT_EQ(store(), once) << "the same value again changes no byte";
}

TEST_F(SettingsStore, StoreEndingInsideAWrappedValueTakesANewValueOnALineOfItsOwn) {
    // A line written right after the final backslash would be read as more of
    // the wrapped value, and the new value lost.
    const std::string cut =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Pattern\"=hex:01,02,\\\n  03,\\\n";
    write_file(store_path, cut);
    ASSERT_EQ(set("Wallpaper", "/pictures/hill.bmp"), 0);
    EXPECT_EQ(store(), cut + "\n\"Wallpaper\"=\"/pictures/hill.bmp\"\n");
    EXPECT_EQ(read_string_value(kDesktop, "Wallpaper"), "/pictures/hill.bmp");
}

TEST_F(SettingsStore, UnparseableStoreIsNeverOverwritten) {
    for (const std::string bytes : {"REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\ngarbage line\n",
                                    "REGEDIT4\n\"Unclosed=\"1\"\n"}) {
        write_file(store_path, bytes);
        EXPECT_EQ(set("WallpaperStyle", "1"), 1009) << bytes;
        EXPECT_EQ(store(), bytes);
    }
    // An empty file holds nothing to lose: it is written afresh.
    write_file(store_path, "");
    EXPECT_EQ(set("WallpaperStyle", "0"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), "0");
}

}  // namespace
