// The registry and style routines: what the user is told when a path, an open or a store fails, and
// the wallpaper call.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/core/error.h"
#include "platform/store/registry.h"
#include "registry/registry_routines.h"
#include "registry/wallpaper_style.h"
#include "support/wallpaper_fixture.h"
#include "words/catalogue.h"

using platform::MsgIcon;
using platform::SystemParametersInfoA;
using platform::WallpaperStyle;

namespace {

const std::string kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class RegistryRoutines : public wallpaper_test::WallpaperTest {};

TEST_F(RegistryRoutines, WriteStringValueCases) {
    // The key path given and as the routine leaves it, the result, and the box shown ("" for none).
    const std::tuple<std::string, std::string, std::int16_t, std::string, std::string, MsgIcon> cases[] = {
        {"hkey_current_user\\Control Panel\\Desktop", "hkey_current_user\\Control Panel\\Desktop", 0,
         "Incorrect Format:\r\n\r\nhkey_current_user\\Control Panel\\Desktop", "", MsgIcon::None},
        {kDesktop + "\\", kDesktop + "\\", 0, "Incorrect Format:\r\n\r\n" + kDesktop + "\\", "", MsgIcon::None},
        {"HKEY_NOWHERE\\x", "x", 0, "Not a valid main key handle", "", MsgIcon::None},
        {"HKEY_CURRENT_USER\\Control Panel\\Nowhere", "Control Panel\\Nowhere", 0, "Bad Key Name",
         "Registry Open Error", MsgIcon::Critical},
        {"HKEY_CURRENT_USER", "", -1, "", "", MsgIcon::None},
        {kDesktop, "Control Panel\\Desktop", -1, "", "", MsgIcon::None},
    };
    for (const auto& [given, left, result, text, title, icon] : cases) {
        recorded.boxes.clear();
        std::string key_path = given, name = "WallpaperStyle", data = "1";
        EXPECT_EQ(registry::Write_String_Value(key_path, name, data), result) << given;
        EXPECT_EQ(key_path, left);
        ASSERT_EQ(recorded.boxes.size(), text.empty() ? 0u : 1u) << given;
        for (const auto& box : recorded.boxes)
            EXPECT_EQ(std::tie(box.text, box.title, box.icon, box.buttons),
                      std::make_tuple(text, title, icon, platform::MsgButtons::Ok));
    }
    EXPECT_EQ(store(), "REGEDIT4\n\n[HKEY_CURRENT_USER]\n\"WallpaperStyle\"=\"1\"\n\n"
                       "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"WallpaperStyle\"=\"1\"\n");
}

TEST_F(RegistryRoutines, UnwritableStoreShowsOneBoxPerStyleValueWithItsReason) {
    // No write bits is access denied; anything else (a folder on the way that is a file) has its own code.
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { wallpaper_test::write_file(store_path, "REGEDIT4\n"), ::chmod(store_path.c_str(), 0444); },
         "Access to this key is denied"},
        {[&] { make_store_unwritable(); }, "Can't Write Key"},
    };
    for (const auto& [make, text] : cases) {
        make();
        recorded.boxes.clear();
        wallpaper_style::write_tiled();
        ASSERT_EQ(recorded.boxes.size(), 2u) << text;
        for (const auto& box : recorded.boxes)
            EXPECT_EQ(std::tie(box.title, box.text, box.icon),
                      std::make_tuple(std::string("Registry Write Error"), text, MsgIcon::Critical));
    }
}

TEST_F(RegistryRoutines, WallpaperCallReadsTheStyleAndRecordsThePicture) {
    const std::string a = (dir / "pics/a b#1.bmp").string(), c = (dir / "pics/c.bmp").string();
    for (const auto& p : {a, c}) wallpaper_test::write_file(p, "BM");
    wallpaper_style::write_tiled();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, a, 3));
    wallpaper_style::write_centred();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, c, 3));
    EXPECT_EQ(recorded.wallpapers, (std::vector<std::pair<std::string, WallpaperStyle>>{
                              {a, WallpaperStyle::Tiled}, {c, WallpaperStyle::Centered}}));
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), c);
    // Without the "update the profile" flag nothing is recorded.
    EXPECT_TRUE(SystemParametersInfoA(20, 0, a, 2));
    EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), c);
    // Only an absolute path to a regular file goes on: no folder, FIFO, device, missing or relative path.
    ASSERT_EQ(::mkfifo((dir / "fifo.bmp").c_str(), 0644), 0);
    for (const std::string& bad : {(dir / "pics").string(), (dir / "pics/").string(), (dir / "fifo.bmp").string(),
                                  std::string("/dev/zero"), (dir / "gone.bmp").string(), std::string("c.bmp")}) {
        EXPECT_FALSE(SystemParametersInfoA(20, 0, bad, 3)) << bad;
        EXPECT_EQ(recorded.wallpapers.size(), 3u) << bad;
        EXPECT_EQ(platform::read_string_value(kDesktop, "Wallpaper"), c) << bad;
    }
    // An unwritable store does not stop the wallpaper; a failing backend is false, a faulty one reaches
    // the guard; nothing is shown here.
    make_store_unwritable();
    EXPECT_TRUE(SystemParametersInfoA(20, 0, a, 3));
    EXPECT_EQ(recorded.wallpapers.size(), 4u);
    services.desktop_wallpaper = [](const std::string&, WallpaperStyle) -> bool {
        throw platform::Error(platform::err::kPathFileAccess, words::kCannotWrite, {"no", "no"});
    };
    install();
    EXPECT_FALSE(SystemParametersInfoA(20, 0, c, 3));
    services.desktop_wallpaper = [](const std::string&, WallpaperStyle) -> bool { throw std::logic_error("bug"); };
    install();
    EXPECT_THROW(SystemParametersInfoA(20, 0, c, 3), std::logic_error);
    EXPECT_TRUE(recorded.boxes.empty());
}

}  // namespace
