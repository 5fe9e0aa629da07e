// The registry routines and the style routines built on them: what the user
// is told when opening or storing fails, the error texts, and the wallpaper
// call that reads the style and records the picture.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/core/error.h"
#include "platform/desktop/desktop_wallpaper.h"
#include "platform/store/registry.h"
#include "wallpaper/registry_routines.h"
#include "wallpaper/wallpaper_style.h"
#include "wallpaper_fixture.h"

using platform::MsgIcon;
using platform::SystemParametersInfoA;
using platform::WallpaperStyle;

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
        EXPECT_EQ(std::tie(boxes[0].text, boxes[0].title, boxes[0].icon), std::tie(c.text, c.title, c.icon));
        EXPECT_EQ(boxes[0].buttons, platform::MsgButtons::Ok);
        EXPECT_FALSE(std::filesystem::exists(store_path)) << "refused before anything was written";
    }
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER]\n\"WallpaperStyle\"=\"1\"\n\n"
                       "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"WallpaperStyle\"=\"1\"\n");
}

TEST(RegistryTables, ErrorTexts) {
    const std::pair<std::int32_t, const char*> texts[] = {
        {2, "Bad Key Name"}, {1010, "Bad Key Name"}, {4, "Can't Read Key"}, {5, "Access to this key is denied"},
        {8, "Out of memory"}, {87, "Invalid Parameter"}, {1011, "Can't Open Key"}, {1013, "Can't Write Key"},
        {234, "There is more data than the buffer has been allocated to hold."},
        {1009, "The Registry Database is corrupt!"},
        {6, "Undefined Error Code:   6"}, {0, "Undefined Error Code:   0"}, {-5, "Undefined Error Code:  -5"},
    };
    for (const auto& [code, text] : texts) EXPECT_EQ(Module1::Registry_Error_Text(code), text) << code;
}

TEST_F(RegistryRoutines, UnwritableStoreShowsOneBoxPerStyleValueAndClosesBothKeys) {
    make_store_unwritable();
    wallpaper_style::write_tiled();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.title, "Registry Write Error");
        EXPECT_EQ(box.text, "Access to this key is denied");
        EXPECT_EQ(box.icon, MsgIcon::Critical);
    }
    // Handles are numbered in turn: the two before the next one are closed.
    platform::HKEY probe = 0;
    ASSERT_EQ(platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                      platform::KEY_WRITE, &probe), 0);
    EXPECT_EQ(platform::RegCloseKey(probe - 1), 6);
    EXPECT_EQ(platform::RegCloseKey(probe - 2), 6);
}

TEST_F(RegistryRoutines, WallpaperCallReadsTheStyleAndRecordsThePicture) {
    const std::string a = (dir / "pics/a b#1.bmp").string(), c = (dir / "pics/c.bmp").string();
    for (const auto& p : {a, c}) wallpaper_test::write_file(p, "BM");
    wallpaper_style::write_tiled();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, a, 3));
    wallpaper_style::write_centred();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, c, 3));
    EXPECT_EQ(wallpapers, (std::vector<std::pair<std::string, WallpaperStyle>>{
                              {a, WallpaperStyle::Tiled}, {c, WallpaperStyle::Centered}}));
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), c);
    // Without the "update the profile" flag nothing is recorded.
    EXPECT_TRUE(SystemParametersInfoA(20, 0, a, 2));
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), c);
    // Only an absolute path to a regular file is handed on or recorded: not a
    // folder (no file selected), a FIFO, a device, a missing or relative path.
    ASSERT_EQ(::mkfifo((dir / "fifo.bmp").c_str(), 0644), 0);
    for (const std::string& bad : {(dir / "pics").string(), (dir / "pics/").string(), (dir / "fifo.bmp").string(),
                                  std::string("/dev/zero"), (dir / "gone.bmp").string(), std::string("c.bmp")}) {
        EXPECT_FALSE(SystemParametersInfoA(20, 0, bad, 3)) << bad;
        EXPECT_EQ(wallpapers.size(), 3u) << bad;
        EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), c) << bad;
    }
    // An unwritable store does not stop the wallpaper; a backend that fails
    // is false, and one with a fault lets it through to the guard; nothing
    // is shown here.
    make_store_unwritable();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, a, 3));
    EXPECT_EQ(wallpapers.size(), 4u);
    services.desktop_wallpaper = [](const std::string&, WallpaperStyle) -> bool {
        throw platform::Error(platform::err::kPathFileAccess, "no");
    };
    platform::install_services(services);
    EXPECT_FALSE(SystemParametersInfoA(20, 0, c, 3));
    services.desktop_wallpaper = [](const std::string&, WallpaperStyle) -> bool { throw std::logic_error("bug"); };
    platform::install_services(services);
    EXPECT_THROW(SystemParametersInfoA(20, 0, c, 3), std::logic_error);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
