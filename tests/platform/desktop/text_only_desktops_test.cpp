// Names that are not UTF-8 on the desktops that take only UTF-8 names:
// they get a name of our own for that very file; the others get the bytes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/wallpaper_tools.h"
#include "wallpaper/wallpaper_fixture.h"

using namespace platform;
using namespace platform::wallpaper_tools;
using wallpaper_test::Argv;
using wallpaper_test::ScopedEnv;
using wallpaper_test::write_file;

namespace {

class TextOnlyDesktops : public wallpaper_test::WallpaperTest {
protected:
    bool apply(const char* desktop, const std::string& path) {
        ScopedEnv d("XDG_CURRENT_DESKTOP", desktop), s("SWAYSOCK", nullptr), x("DISPLAY", ":99");
        commands.clear();
        return apply_desktop_wallpaper(path, WallpaperStyle::Centered, services.run_command);
    }
    // The path the desktop's tool was handed.
    std::string handed(const char* desktop) const {
        for (const Argv& argv : commands) {
            std::string text;
            if (argv.at(0) == "gsettings" && argv.at(1) == "set" && argv.at(3) == "picture-filename")
                return gvariant_unquote(argv.at(4), text) ? text : "";
            if (argv.at(0) == "gsettings" && argv.at(1) == "set" && argv.at(3) == "picture-uri")
                return gvariant_unquote(argv.at(4), text) && text.starts_with("file://") ? text.substr(7) : "";
            if (argv.at(0) == "xfconf-query" && argv.size() > 9 && argv.at(4).ends_with("last-image"))
                return argv.at(9);
            if (argv.at(0).starts_with("pcmanfm")) return argv.at(1).substr(std::string("--set-wallpaper=").size());
            if (argv.at(0) == "feh") return argv.back();
        }
        return std::string("<nothing handed on ") + desktop + ">";
    }
};

bool same_file(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_ino == y.st_ino && x.st_dev == y.st_dev;
}

TEST_F(TextOnlyDesktops, NamesThatAreNotUtf8ReachTheDesktopAsThatFile) {
    const std::string latin1 = (dir / "pics/caf\xe9 #1 100% it's \xff.bmp").string();
    write_file(latin1, "BM latin-1");
    struct Row { const char* desktop; bool own_name; };
    const Row rows[] = {{"XFCE", true}, {"LXQt", true}, {"MATE", true}, {"GNOME", true},
                        {"LXDE", false}, {nullptr, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.desktop ? row.desktop : "X11");
        ASSERT_TRUE(apply(row.desktop, latin1));
        const std::string given = handed(row.desktop);
        if (row.own_name) {
            EXPECT_TRUE(valid_utf8(given)) << given;
            EXPECT_EQ(given.rfind(services.preview_bmp_path.substr(0, services.preview_bmp_path.rfind('/')), 0), 0u)
                << given;
            EXPECT_TRUE(same_file(given, latin1)) << given;
        } else {
            EXPECT_EQ(given, latin1);
        }
    }
    // Plasma is reached over D-Bus, not through a tool: only its choice here.
    for (const Desktop d : {Desktop::Xfce, Desktop::Lxqt, Desktop::Mate, Desktop::Kde, Desktop::Gnome})
        EXPECT_TRUE(utf8_names_only(d));
    for (const Desktop d : {Desktop::Cinnamon, Desktop::Lxde, Desktop::Sway, Desktop::X11})
        EXPECT_FALSE(utf8_names_only(d));
    // A UTF-8 name is handed as it is.
    const std::string utf8 = (dir / "pics/caf\xc3\xa9.bmp").string();
    write_file(utf8, "BM utf-8");
    ASSERT_TRUE(apply("XFCE", utf8));
    EXPECT_EQ(handed("XFCE"), utf8);
}

TEST_F(TextOnlyDesktops, NoNameOfOurOwnMeansNoWallpaper) {
    const std::string latin1 = (dir / "pics/caf\xe9.bmp").string();
    write_file(latin1, "BM latin-1");
    // A data folder that is itself not UTF-8, then one that cannot be made
    // (under a regular file): neither the user's name nor ours can be read.
    write_file((dir / "blocker").string(), "a regular file");
    for (const std::string& data : {(dir / "d\xe9ta").string(), (dir / "blocker/data").string()}) {
        services.preview_bmp_path = data + "/preview.bmp";
        install();
        for (const char* desktop : {"XFCE", "LXQt", "MATE", "GNOME"}) {
            SCOPED_TRACE(data + " " + desktop);
            EXPECT_FALSE(apply(desktop, latin1));
            EXPECT_EQ(handed(desktop), std::string("<nothing handed on ") + desktop + ">");
        }
    }
}

}  // namespace
