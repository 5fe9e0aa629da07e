// The settings store file behind the registry calls: handles, parameters,
// atomic replacement, and stores edited by hand or damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/registry.h"
#include "wallpaper_fixture.h"

using namespace platform;
using wallpaper_test::read_file;
using wallpaper_test::WallpaperTest;
using wallpaper_test::write_file;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class SettingsStore : public WallpaperTest {
protected:
    long set(HKEY key, const std::string& name, const std::string& value) {
        return RegSetValueExA(key, name, 0, REG_SZ, value.c_str(),
                              static_cast<std::uint32_t>(value.size() + 1));
    }
    // Opens the desktop key, sets one value, closes; the result of the set.
    long set_desktop(const std::string& name, const std::string& value) {
        HKEY key = 0;
        const long rc = RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &key);
        if (rc != 0) return rc;
        const long set_rc = set(key, name, value);
        EXPECT_EQ(RegCloseKey(key), 0);
        return set_rc;
    }
};

TEST_F(SettingsStore, HandlesAreFreshAndPredefinedOnesWorkToo) {
    HKEY a = 0, b = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &a), 0);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "control panel\\DESKTOP", 0, KEY_WRITE, &b), 0);
    EXPECT_NE(a, b);
    EXPECT_FALSE(a >= HKEY_CLASSES_ROOT && a <= HKEY_DYN_DATA);
    EXPECT_EQ(set(a, "One", "1"), 0);
    EXPECT_EQ(set(b, "Two", "2"), 0);
    EXPECT_EQ(RegCloseKey(a), 0);
    EXPECT_EQ(RegCloseKey(a), 6) << "a closed handle is no handle";
    EXPECT_EQ(set(a, "Three", "3"), 6);
    EXPECT_EQ(RegCloseKey(b), 0);
    // Both spellings named one key: one section holds both values.
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                       "\"One\"=\"1\"\n\"Two\"=\"2\"\n");

    EXPECT_EQ(set(HKEY_CURRENT_USER, "Direct", "d"), 0);
    EXPECT_EQ(read_string_value("HKEY_CURRENT_USER", "Direct"), "d");
    HKEY main = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_WRITE, &main), 0);
    EXPECT_NE(main, HKEY_CURRENT_USER);
    EXPECT_EQ(set(main, "Direct", "e"), 0);
    EXPECT_EQ(RegCloseKey(main), 0);
    EXPECT_EQ(read_string_value("HKEY_CURRENT_USER", "Direct"), "e");
}

TEST_F(SettingsStore, RefusesBadHandlesAndParameters) {
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(0x1234u, "x", 0, KEY_WRITE, &key), 6);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_WRITE, &key), 2);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Control Panel\\Desktop", 0, KEY_WRITE, &key), 2);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, nullptr), 87);
    EXPECT_EQ(RegSetValueExA(0x1234u, "x", 0, REG_SZ, "a", 2), 6);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &key), 0);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, 4, "\1\0\0\0", 4), 87) << "only strings";
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, "abc", 3), 87) << "no NUL within the size";
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, "abc", 0), 87);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, nullptr, 4), 87);
    EXPECT_FALSE(std::filesystem::exists(store_path())) << "refused calls write nothing";
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, "ab\0cd", 6), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(read_string_value(kDesktop, "x"), "ab");
}

TEST_F(SettingsStore, OddTextRoundTrips) {
    const std::string odd = "C:\\pics\\\"quoted\" #1 100%\nsecond line\r\xE9";
    ASSERT_EQ(set_desktop("Wallpaper", odd), 0);
    ASSERT_EQ(set_desktop("Quote\"d\\Name", "v"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "Wallpaper"), odd);
    EXPECT_EQ(read_string_value(kDesktop, "quote\"D\\name"), "v") << "names ignore case";
    const std::string text = store();
    EXPECT_NE(text.find("\"Wallpaper\"=\"C:\\\\pics\\\\\\\"quoted\\\" #1 100%\\nsecond line\\r\xE9\""),
              std::string::npos)
        << text;
    // Still one line per value: the file reads back as a whole.
    ASSERT_EQ(set_desktop("Wallpaper", "plain"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "Wallpaper"), "plain");
}

TEST_F(SettingsStore, FailedWriteLeavesTheOldFileWhole) {
    ASSERT_EQ(set_desktop("WallpaperStyle", "0"), 0);
    const std::string before = store();
    const std::string old_path = store_path();
    // The same store seen through a path whose folder cannot be made.
    const std::string folder = std::filesystem::path(old_path).parent_path().string();
    make_store_unwritable();
    EXPECT_EQ(set_desktop("WallpaperStyle", "1"), 5);
    EXPECT_EQ(read_file(old_path), before);

    // A folder where the store should be cannot be read: refused at open.
    services.settings_store_path = folder + "/as-folder.reg";
    install_services(services);
    std::filesystem::create_directories(folder + "/as-folder.reg");
    EXPECT_EQ(set_desktop("WallpaperStyle", "1"), 5);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/as-folder.reg"));

    // No temporary file was left beside the store.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"as-folder.reg", "registry.reg"}));
    EXPECT_EQ(read_file(old_path), before);
}

TEST_F(SettingsStore, HandEditedStoreKeepsForeignLines) {
    const std::string edited =
        "REGEDIT4\r\n"
        "; my notes\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"Blob\"=hex:01,02,03,\\\r\n"
        "  04,05\r\n"
        "@=\"default\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
        "\"TileWallpaper\"=dword:00000001\r\n"
        "  \"WallpaperStyle\" = \"2\"  \r\n"
        "\"Keep\"=\"this\"\r\n";
    write_file(store_path(), edited);
    EXPECT_EQ(read_string_value(kDesktop, "TileWallpaper"), std::nullopt) << "not a string";
    EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), "2");
    EXPECT_EQ(read_string_value("HKEY_CURRENT_USER\\Software\\Other", ""), "default");

    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Other", 0, KEY_WRITE, &key), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_WRITE, &key), 0)
        << "a parent of a stored key exists";
    EXPECT_EQ(RegCloseKey(key), 0);

    ASSERT_EQ(set_desktop("WallpaperStyle", "1"), 0);
    ASSERT_EQ(set_desktop("TileWallpaper", "1"), 0);
    ASSERT_EQ(set_desktop("Wallpaper", "/p.bmp"), 0);
    EXPECT_EQ(store(),
              "REGEDIT4\r\n"
              "; my notes\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
              "\"Count\"=dword:0000002a\r\n"
              "\"Blob\"=hex:01,02,03,\\\r\n"
              "  04,05\r\n"
              "@=\"default\"\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
              "\"TileWallpaper\"=\"1\"\r\n"
              "\"WallpaperStyle\"=\"1\"\r\n"
              "\"Keep\"=\"this\"\r\n"
              "\"Wallpaper\"=\"/p.bmp\"\r\n");
}

TEST_F(SettingsStore, StoreEndingInsideAWrappedValueTakesANewValueOnALineOfItsOwn) {
    // The last line ends in a backslash, so a line written right after it
    // would be read as more of the wrapped value and the new value lost.
    const std::string cut =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
        "\"Pattern\"=hex:01,02,\\\n"
        "  03,\\\n";
    write_file(store_path(), cut);
    ASSERT_EQ(set_desktop("Wallpaper", "/pictures/beach.bmp"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "Wallpaper"), "/pictures/beach.bmp");
    EXPECT_EQ(store(), cut + "\n\"Wallpaper\"=\"/pictures/beach.bmp\"\n");
    // Set again, the value is replaced where it stands.
    ASSERT_EQ(set_desktop("Wallpaper", "/pictures/hill.bmp"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "Wallpaper"), "/pictures/hill.bmp");
    EXPECT_EQ(store(), cut + "\n\"Wallpaper\"=\"/pictures/hill.bmp\"\n");

    // A new key after such a value starts on a line of its own as well.
    write_file(store_path(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"P\"=hex:01,\\\n");
    ASSERT_EQ(set_desktop("WallpaperStyle", "2"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), "2");
}

TEST_F(SettingsStore, EachForeignLineKeepsItsOwnLineEnd) {
    // Edited with different tools: line ends of both kinds, a stray carriage
    // return at the end of a comment, and no line end after the last line.
    const std::string head =
        "REGEDIT4\n"
        "; edited elsewhere\r\n"
        "; odd\r\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
        "\"Keep\"=\"this\"\n";
    write_file(store_path(), head + "\"Last\"=\"line\"");
    ASSERT_EQ(set_desktop("Wallpaper", "/a.bmp"), 0);
    const std::string once = head + "\"Last\"=\"line\"\n\"Wallpaper\"=\"/a.bmp\"\n";
    EXPECT_EQ(store(), once);
    // The same value again leaves every byte as it was.
    ASSERT_EQ(set_desktop("Wallpaper", "/a.bmp"), 0);
    EXPECT_EQ(store(), once);
    EXPECT_EQ(read_string_value(kDesktop, "Keep"), "this");
}

TEST_F(SettingsStore, UnparseableStoreIsNeverOverwritten) {
    const std::string damaged[] = {
        "this is not a registry file\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\ngarbage line\n",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop\n",
        "REGEDIT4\n\"Unclosed=\"1\"\n",
        std::string("REGEDIT4\n\0\0\0", 12),
    };
    for (const auto& bytes : damaged) {
        write_file(store_path(), bytes);
        HKEY key = 0;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &key), 1009)
            << bytes;
        EXPECT_EQ(set(HKEY_CURRENT_USER, "WallpaperStyle", "1"), 1009) << bytes;
        EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), std::nullopt);
        EXPECT_EQ(read_file(store_path()), bytes);
    }
    // An empty file holds nothing to lose: it is written afresh.
    write_file(store_path(), "");
    EXPECT_EQ(set_desktop("WallpaperStyle", "0"), 0);
    EXPECT_EQ(read_string_value(kDesktop, "WallpaperStyle"), "0");
    // The other export header is accepted.
    write_file(store_path(), "Windows Registry Editor Version 5.00\n\n");
    EXPECT_EQ(set_desktop("WallpaperStyle", "1"), 0);
    EXPECT_EQ(store(), "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"WallpaperStyle\"=\"1\"\n");
}

}  // namespace
