// The registry routines: key path formats, the main key table, error texts,
// and what the user is told when opening or storing fails.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "wallpaper/registry_routines.h"
#include "wallpaper_fixture.h"

using platform::MsgIcon;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class RegistryRoutines : public wallpaper_test::WallpaperTest {};

TEST_F(RegistryRoutines, WriteStringValueCases) {
    struct Case {
        std::string key_path, left_path;  // given, and as the routine leaves it
        std::int16_t result;
        std::string text, title;  // the box shown; "" for none
        MsgIcon icon;
    };
    const Case cases[] = {
        {"hkey_current_user\\Control Panel\\Desktop", "hkey_current_user\\Control Panel\\Desktop", 0,
         "Incorrect Format:\r\n\r\nhkey_current_user\\Control Panel\\Desktop", "", MsgIcon::None},
        {kDesktop + "\\", kDesktop + "\\", 0, "Incorrect Format:\r\n\r\n" + kDesktop + "\\", "", MsgIcon::None},
        {"HKEY_NOWHERE\\x", "x", 0, "Not a valid main key handle", "", MsgIcon::None},
        {"HKEY_CURRENT_USER\\Control Panel\\Nowhere", "Control Panel\\Nowhere", 0, "Bad Key Name",
         "Registry Open Error", MsgIcon::Critical},
        {"HKEY_CURRENT_USER", "", -1, "", "", MsgIcon::None},
        {kDesktop, "Control Panel\\Desktop", -1, "", "", MsgIcon::None},
    };
    for (const Case& c : cases) {
        boxes.clear();
        std::string key_path = c.key_path, name = "WallpaperStyle", data = "1";
        EXPECT_EQ(Module1::Write_String_Value(key_path, name, data), c.result) << c.key_path;
        EXPECT_EQ(key_path, c.left_path);
        if (c.text.empty()) {
            EXPECT_TRUE(boxes.empty()) << c.key_path;
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u) << c.key_path;
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].title, c.title);
        EXPECT_EQ(boxes[0].icon, c.icon);
        EXPECT_EQ(boxes[0].buttons, platform::MsgButtons::Ok);
        EXPECT_FALSE(std::filesystem::exists(store_path)) << "refused before anything was written";
    }
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER]\n\"WallpaperStyle\"=\"1\"\n\n"
                       "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"WallpaperStyle\"=\"1\"\n");
}

TEST(RegistryTables, MainKeysAndErrorTexts) {
    const std::pair<const char*, std::uint32_t> keys[] = {
        {"HKEY_CLASSES_ROOT", 0x80000000u},     {"HKEY_CURRENT_USER", 0x80000001u},
        {"HKEY_LOCAL_MACHINE", 0x80000002u},    {"HKEY_USERS", 0x80000003u},
        {"HKEY_PERFORMANCE_DATA", 0x80000004u}, {"HKEY_CURRENT_CONFIG", 0x80000005u},
        {"HKEY_DYN_DATA", 0x80000006u},         {"hkey_current_user", 0},
        {"HKEY_CURRENT_USER ", 0},              {"", 0},
    };
    for (const auto& [name, handle] : keys)
        EXPECT_EQ(Module1::Main_Key_Handle(name), static_cast<std::int32_t>(handle)) << name;
    const std::pair<std::int32_t, const char*> texts[] = {
        {2, "Bad Key Name"}, {1010, "Bad Key Name"}, {4, "Can't Read Key"}, {1012, "Can't Read Key"},
        {5, "Access to this key is denied"}, {8, "Out of memory"}, {14, "Out of memory"},
        {87, "Invalid Parameter"}, {234, "There is more data than the buffer has been allocated to hold."},
        {1009, "The Registry Database is corrupt!"}, {1015, "The Registry Database is corrupt!"},
        {1011, "Can't Open Key"}, {1013, "Can't Write Key"},
        {6, "Undefined Error Code:   6"}, {0, "Undefined Error Code:   0"},
        {-5, "Undefined Error Code:  -5"}, {1014, "Undefined Error Code:   1014"},
        {INT32_MIN, "Undefined Error Code:  -2147483648"},
    };
    for (const auto& [code, text] : texts) EXPECT_EQ(Module1::Registry_Error_Text(code), text) << code;
}

}  // namespace
