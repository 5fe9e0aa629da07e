// The registry routines: key path formats, the main key table, error texts,
// and what the user is told when opening or storing fails.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "wallpaper/registry_routines.h"
#include "wallpaper_fixture.h"

using platform::MsgButtons;
using platform::MsgIcon;
using wallpaper_test::WallpaperTest;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class RegistryRoutines : public WallpaperTest {
protected:
    std::int16_t write(std::string key_path, std::string name, std::string data) {
        last_key_path = std::move(key_path);
        return Module1::Write_String_Value(last_key_path, name, data);
    }
    std::string last_key_path;
};

TEST_F(RegistryRoutines, StoresUnderTheDesktopKeyAndShortensThePath) {
    std::string key_path = kDesktop;
    std::string name = "WallpaperStyle";
    std::string data = "1";
    EXPECT_EQ(Module1::Write_String_Value(key_path, name, data), -1);
    EXPECT_EQ(key_path, "Control Panel\\Desktop");
    EXPECT_EQ(name, "WallpaperStyle");
    EXPECT_EQ(data, "1");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(platform::read_string_value(kDesktop, "WallpaperStyle"), "1");
    EXPECT_EQ(store(),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"WallpaperStyle\"=\"1\"\n");
}

TEST_F(RegistryRoutines, RefusesBadPathFormatsWithTheIncorrectFormatBox) {
    for (const std::string bad : {"hkey_current_user\\Control Panel\\Desktop",
                                  "HKEY_CURRENT_USER\\Control Panel\\Desktop\\", "HKEY", ""}) {
        boxes.clear();
        EXPECT_EQ(write(bad, "WallpaperStyle", "1"), 0) << bad;
        EXPECT_EQ(last_key_path, bad) << "the path is left as it was";
        ASSERT_EQ(boxes.size(), 1u) << bad;
        EXPECT_EQ(boxes[0].text, "Incorrect Format:\r\n\r\n" + bad);
        EXPECT_EQ(boxes[0].icon, MsgIcon::None);
        EXPECT_EQ(boxes[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(boxes[0].title, "");
    }
    EXPECT_FALSE(std::filesystem::exists(store_path())) << "nothing was written";
}

TEST_F(RegistryRoutines, UnknownMainKeyIsRefusedWithoutOpening) {
    EXPECT_EQ(write("HKEY_NOWHERE\\x", "WallpaperStyle", "1"), 0);
    EXPECT_EQ(last_key_path, "x");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Not a valid main key handle");
    EXPECT_EQ(boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(boxes[0].title, "");
    EXPECT_FALSE(std::filesystem::exists(store_path()));
}

TEST_F(RegistryRoutines, MainKeyAloneWritesDirectlyUnderIt) {
    EXPECT_EQ(write("HKEY_CURRENT_USER", "Probe", "yes"), -1);
    EXPECT_EQ(last_key_path, "");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(platform::read_string_value("HKEY_CURRENT_USER", "Probe"), "yes");
    EXPECT_EQ(platform::read_string_value(kDesktop, "Probe"), std::nullopt);
}

TEST_F(RegistryRoutines, SplitKeyPathLeavesOutputsAloneOnBadFormat) {
    std::string key_path = "HKEY_CURRENT_USER\\";
    std::int32_t main_key = 1234;
    Module1::Split_Key_Path(key_path, main_key);
    EXPECT_EQ(main_key, 1234);
    EXPECT_EQ(key_path, "HKEY_CURRENT_USER\\");

    key_path = "HKEY_LOCAL_MACHINE\\Software\\A\\B";
    Module1::Split_Key_Path(key_path, main_key);
    EXPECT_EQ(main_key, static_cast<std::int32_t>(0x80000002u));
    EXPECT_EQ(key_path, "Software\\A\\B");
    EXPECT_EQ(boxes.size(), 1u);
}

TEST(MainKeyTable, MapsTheSevenNamesExactly) {
    const std::pair<const char*, std::uint32_t> table[] = {
        {"HKEY_CLASSES_ROOT", 0x80000000u},     {"HKEY_CURRENT_USER", 0x80000001u},
        {"HKEY_LOCAL_MACHINE", 0x80000002u},    {"HKEY_USERS", 0x80000003u},
        {"HKEY_PERFORMANCE_DATA", 0x80000004u}, {"HKEY_CURRENT_CONFIG", 0x80000005u},
        {"HKEY_DYN_DATA", 0x80000006u},
    };
    for (const auto& [name, handle] : table)
        EXPECT_EQ(Module1::Main_Key_Handle(name), static_cast<std::int32_t>(handle)) << name;
    for (const char* other : {"hkey_current_user", "HKEY_CURRENT_USER ", "HKEY_NOWHERE", "", "HKEY_"})
        EXPECT_EQ(Module1::Main_Key_Handle(other), 0) << other;
}

TEST(RegistryErrorText, CoversTheTableAndFormatsOtherCodes) {
    const std::pair<std::int32_t, const char*> table[] = {
        {2, "Bad Key Name"},
        {1010, "Bad Key Name"},
        {4, "Can't Read Key"},
        {1012, "Can't Read Key"},
        {5, "Access to this key is denied"},
        {8, "Out of memory"},
        {14, "Out of memory"},
        {87, "Invalid Parameter"},
        {234, "There is more data than the buffer has been allocated to hold."},
        {1009, "The Registry Database is corrupt!"},
        {1015, "The Registry Database is corrupt!"},
        {1011, "Can't Open Key"},
        {1013, "Can't Write Key"},
    };
    for (const auto& [code, text] : table) EXPECT_EQ(Module1::Registry_Error_Text(code), text) << code;
    EXPECT_EQ(Module1::Registry_Error_Text(6), "Undefined Error Code:   6");
    EXPECT_EQ(Module1::Registry_Error_Text(0), "Undefined Error Code:   0");
    EXPECT_EQ(Module1::Registry_Error_Text(-5), "Undefined Error Code:  -5");
    EXPECT_EQ(Module1::Registry_Error_Text(INT32_MIN), "Undefined Error Code:  -2147483648");
    EXPECT_EQ(Module1::Registry_Error_Text(1014), "Undefined Error Code:   1014");
}

TEST_F(RegistryRoutines, MissingSubkeyShowsTheOpenErrorAndLeavesNothingOpen) {
    EXPECT_EQ(write("HKEY_CURRENT_USER\\Control Panel\\Nowhere", "WallpaperStyle", "1"), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Bad Key Name");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(boxes[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(boxes[0].title, "Registry Open Error");
    EXPECT_FALSE(std::filesystem::exists(store_path())) << "a missing key is not created";
}

TEST_F(RegistryRoutines, UnwritableStoreShowsTheWriteErrorAndClosesTheKey) {
    make_store_unwritable();
    EXPECT_EQ(write(kDesktop, "WallpaperStyle", "1"), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Access to this key is denied");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(boxes[0].title, "Registry Write Error");
    // The key the writer opened was closed: the next handle it gets is a
    // fresh one, and closing the old one again is refused.
    platform::HKEY probe = 0;
    ASSERT_EQ(platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                      platform::KEY_WRITE, &probe), 0);
    EXPECT_EQ(platform::RegCloseKey(probe - 1), 6);
    EXPECT_EQ(platform::RegCloseKey(probe), 0);
}

}  // namespace
