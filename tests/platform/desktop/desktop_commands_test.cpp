// What each desktop's tools are given, through the recording runner, for a
// centred and a tiled picture with an awkward name; the alternating links for
// desktops that ignore a repeated path; and the program runner itself.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QUrl>

#include <sys/stat.h>
#include <wordexp.h>

#include <chrono>

#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/wallpaper_tools.h"
#include "wallpaper/wallpaper_fixture.h"

using namespace platform;
using namespace platform::wallpaper_tools;
using wallpaper_test::Argv;
using wallpaper_test::ScopedEnv;
using wallpaper_test::write_file;
using Commands = std::vector<Argv>;

namespace {

const std::string kOdd = "/home/ana/My Pics/sun #1 100% it's \"hi\" \\.bmp";

class DesktopCommands : public wallpaper_test::WallpaperTest {
protected:
    bool apply(const char* desktop, WallpaperStyle style, const std::string& path = kOdd,
               const char* swaysock = nullptr) {
        ScopedEnv d("XDG_CURRENT_DESKTOP", desktop), s("SWAYSOCK", swaysock), x("DISPLAY", ":99");
        commands.clear();
        return apply_desktop_wallpaper(path, style, services.run_command);
    }
};

// Each key set, then read back in UTF-8.
Commands gs(const std::string& schema, const std::vector<std::pair<std::string, std::string>>& keys) {
    Commands out;
    for (const auto& [key, value] : keys) {
        out.push_back({"gsettings", "set", schema, key, value});
        out.push_back({"env", "LC_ALL=C.UTF-8", "gsettings", "get", schema, key});
    }
    return out;
}

TEST_F(DesktopCommands, EachDesktopGetsItsOwnArguments) {
    // Every monitor and workspace listed under the backdrop, once each.
    for (const char* property : {"/backdrop/screen0/monitorV-1/workspace1/color-style", "/desktop-icons/style",
                                 "/backdrop/screen0/monitorV-1/workspace0/last-image",
                                 "/backdrop/screen0/monitorA/B/workspace0/last-image"})
        xfconf[property] = "";
    Commands xfce = {{"xfconf-query", "-c", "xfce4-desktop", "-l"}};
    for (const std::string ws : {"workspace0/", "workspace1/"})
        for (const auto& [key, type, value] : {std::tuple{"last-image", "string", kOdd}, {"image-style", "int", "@"}}) {
            const std::string property = "/backdrop/screen0/monitorV-1/" + ws + key;
            xfce.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-n", "-t", type, "-s", value});
            xfce.push_back({"env", "LC_ALL=C.UTF-8", "xfconf-query", "-c", "xfce4-desktop", "-p", property});
        }
    const std::string quoted_uri =
        "'file:///home/ana/My%20Pics/sun%20%231%20100%25%20it\\'s%20%22hi%22%20%5C.bmp'";
    struct Row { const char* desktop; std::string centred, tiled; /* what "@" stands for */ Commands expected; };
    const Row rows[] = {
        {"ubuntu:GNOME", "'centered'", "'wallpaper'",
         gs("org.gnome.desktop.background",
            {{"picture-uri", quoted_uri}, {"picture-uri-dark", quoted_uri}, {"picture-options", "@"}})},
        {"X-Cinnamon", "'centered'", "'wallpaper'",
         gs("org.cinnamon.desktop.background", {{"picture-uri", quoted_uri}, {"picture-options", "@"}})},
        {"mate", "'centered'", "'wallpaper'",
         gs("org.mate.background", {{"picture-filename", "'/home/ana/My Pics/sun #1 100% it\\'s \"hi\" \\\\.bmp'"},
                                    {"picture-options", "@"}})},
        {"XFCE", "1", "2", xfce},
        {"LXQt", "--wallpaper-mode=center", "--wallpaper-mode=tile",
         {{"pcmanfm-qt", "--set-wallpaper=" + kOdd, "@"}}},
        {"LXDE", "--wallpaper-mode=center", "--wallpaper-mode=tile",
         {{"pcmanfm", "--set-wallpaper=" + kOdd, "@"}}},
        {"openbox", "--bg-center", "--bg-tile", {{"feh", "--no-fehbg", "@", kOdd}}},
    };
    for (const Row& row : rows) {
        for (const auto style : {WallpaperStyle::Centered, WallpaperStyle::Tiled}) {
            Commands expected = row.expected;
            for (auto& argv : expected)
                for (auto& arg : argv)
                    if (arg == "@") arg = style == WallpaperStyle::Tiled ? row.tiled : row.centred;
            EXPECT_TRUE(apply(row.desktop, style)) << row.desktop;
            EXPECT_EQ(commands, expected) << row.desktop;
        }
    }
    // Without feh: hsetroot. gsettings without a session bus exits 0 and
    // keeps nothing: a failure.
    programs["feh"] = [](const Argv&) { return CommandResult{}; };
    EXPECT_TRUE(apply(nullptr, WallpaperStyle::Tiled));
    EXPECT_EQ(commands, (Commands{{"feh", "--no-fehbg", "--bg-tile", kOdd}, {"hsetroot", "-tile", kOdd}}));
    programs["gsettings"] = [](const Argv&) { return CommandResult{true, false, 0, ""}; };
    EXPECT_FALSE(apply("GNOME", WallpaperStyle::Centered));
}

// URIs as GIO makes them (gio info, measured), from the bytes: names that are
// not UTF-8 keep their bytes. The Plasma script's string holds only plain
// characters and decodes to the same file.
TEST(FileUri, EncodesEveryByteOfTheName) {
    const std::pair<std::string, std::string> rows[] = {
        {"/p/a\xff b.bmp", "file:///p/a%FF%20b.bmp"},
        {"/p/caf\xe9.bmp", "file:///p/caf%E9.bmp"},  // Latin-1
        {"/p/lone\xc3.bmp", "file:///p/lone%C3.bmp"},
        {"/p/caf\xc3\xa9.bmp", "file:///p/caf%C3%A9.bmp"},
        {"/p/#1 100%.bmp", "file:///p/%231%20100%25.bmp"},
        {"/p/it's \"x\";?[]\\`.bmp", "file:///p/it's%20%22x%22%3B%3F%5B%5D%5C%60.bmp"},
        {"/p/!$&()*+,:=@~-_.bmp", "file:///p/!$&()*+,:=@~-_.bmp"},
        {"/p/new\nline\x01.bmp", "file:///p/new%0Aline%01.bmp"},
    };
    for (const auto& [path, uri] : rows) {
        EXPECT_EQ(file_uri(path), uri);
        const std::string script = plasma_script(path, false), head = "d.writeConfig('Image', '";
        const auto at = script.find(head) + head.size();
        const std::string literal = script.substr(at, script.find("');", at) - at);
        EXPECT_EQ(literal.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789%/:._~-"),
                  std::string::npos) << literal;
        EXPECT_EQ(QByteArray::fromPercentEncoding(QByteArray::fromStdString(literal)).toStdString(), "file://" + path);
    }
}

TEST_F(DesktopCommands, NamesThatAreNotUtf8) {
    const std::string latin1 = "/p/caf\xe9 \xff\xc3.bmp", uri = "'file:///p/caf%E9%20%FF%C3.bmp'";
    ASSERT_TRUE(apply("X-Cinnamon", WallpaperStyle::Centered, latin1));
    EXPECT_EQ(commands.at(0), (Argv{"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", uri}));
    // Raw bytes for the tools that take them; MATE's settings string cannot
    // hold them, and a missing file gets no name of our own: nothing is run.
    ASSERT_TRUE(apply("LXDE", WallpaperStyle::Centered, latin1));
    EXPECT_EQ(commands.at(0).at(1), "--set-wallpaper=" + latin1);
    EXPECT_FALSE(apply("MATE", WallpaperStyle::Centered, latin1));
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(apply("MATE", WallpaperStyle::Centered, "/p/caf\xc3\xa9.bmp"));
    for (const char* bad : {"\xc3(", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82"})
        EXPECT_FALSE(valid_utf8(bad)) << bad;
    EXPECT_TRUE(valid_utf8("\xf0\x9f\x98\x80 \xe2\x82\xac"));
}

// The path a tool was given, read back as that tool reads its argument; for
// sway as its command parser and word expansion (commands refused) see it.
std::string path_given(const Argv& argv) {
    std::string text;
    const std::string& tool = argv.at(0);
    if (tool == "gsettings") {
        if (!gvariant_unquote(argv.at(4), text)) return "<no string: " + argv.at(4) + ">";
        if (argv.at(2) == "org.mate.background") return text;
        return QUrl::fromEncoded(QByteArray::fromStdString(text), QUrl::StrictMode).toLocalFile().toStdString();
    }
    if (tool == "xfconf-query") return argv.at(9);
    if (tool == "pcmanfm" || tool == "pcmanfm-qt") return argv.at(1).substr(std::string("--set-wallpaper=").size());
    if (tool == "swaymsg") {
        text = argv.at(4);
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
        wordexp_t words{};
        const int rc = ::wordexp(text.c_str(), &words, WRDE_NOCMD | WRDE_UNDEF);
        if (rc != 0) return "<wordexp refused " + text + ": " + std::to_string(rc) + ">";
        text = words.we_wordc == 1 ? words.we_wordv[0] : "<split into " + std::to_string(words.we_wordc) + ">";
        ::wordfree(&words);
        return text;
    }
    return argv.back();  // feh, hsetroot
}

bool same_file(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_ino == y.st_ino &&
           x.st_dev == y.st_dev;
}

TEST_F(DesktopCommands, HostileNamesReachEveryToolAsThatVeryFile) {
    // A relative path (an XDG folder given as "--bg-fill") goes to no tool.
    EXPECT_FALSE(apply(nullptr, WallpaperStyle::Centered, "--bg-fill/glimmerbox/preview.bmp"));
    EXPECT_TRUE(commands.empty());
    const std::string folder = (dir / wallpaper_test::kHostileFolder).string();
    struct Row { const char* desktop; const char* swaysock; const char* tool; /* gets the path */ };
    const Row rows[] = {{"GNOME", nullptr, "gsettings"}, {"X-Cinnamon", nullptr, "gsettings"},
                        {"MATE", nullptr, "gsettings"},  {"XFCE", nullptr, "xfconf-query"},
                        {"LXQt", nullptr, "pcmanfm-qt"}, {"LXDE", nullptr, "pcmanfm"},
                        {nullptr, "/run/sway", "swaymsg"}, {nullptr, nullptr, "feh"}};
    for (const std::string& name : wallpaper_test::kHostileNames) {
        const std::string path = folder + "/" + name;
        write_file(path, "BM " + name);
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.tool) + " " + name);
            ASSERT_TRUE(apply(row.desktop, WallpaperStyle::Centered, path, row.swaysock));
            bool seen = false;
            for (const Argv& argv : commands) {
                if (argv.at(0) != row.tool || (argv.size() > 1 && argv[1] == "get") || argv.back() == "-l" ||
                    argv.back() == "'centered'" || argv.back() == "1")
                    continue;
                seen = true;
                const std::string given = path_given(argv);
                if (row.swaysock) {
                    // A name of our own, holding the chosen file's bytes.
                    EXPECT_EQ(argv, (Argv{"swaymsg", "output", "*", "bg", given, "center", "#000000"}));
                    EXPECT_TRUE(same_file(given, path)) << given;
                } else {
                    EXPECT_EQ(given, path);
                }
            }
            EXPECT_TRUE(seen);
        }
    }
    // Of sway's alternating names only the one it shows is left.
    EXPECT_EQ(test_support::entries_of(std::filesystem::path(services.preview_bmp_path).parent_path()),
              std::vector<std::string>{".wallpaper-b.bmp"});
}

TEST_F(DesktopCommands, RepeatedPreviewGetsAFreshLinkEachTime) {
    const std::string preview = services.preview_bmp_path;
    std::vector<std::string> handed;
    programs["pcmanfm-qt"] = [&](const Argv& argv) {
        handed.push_back(argv.at(1).substr(std::string("--set-wallpaper=").size()));
        return CommandResult{true, false, 0, ""};
    };
    // The converted picture is replaced as a new file each time.
    for (const std::string content : {"first", "second", "third"}) {
        write_file(preview + ".new", content);
        std::filesystem::rename(preview + ".new", preview);
        ASSERT_TRUE(apply("LXQt", WallpaperStyle::Centered, preview));
        EXPECT_EQ(wallpaper_test::read_file_bytes(handed.back()), content);
    }
    // The names alternate, the older link is removed, other files are handed as they are.
    EXPECT_NE(handed[0], handed[1]);
    EXPECT_EQ(handed[2], handed[0]);
    EXPECT_FALSE(std::filesystem::exists(handed[1]));
    ASSERT_TRUE(apply("LXQt", WallpaperStyle::Centered, "/pics/own.bmp"));
    EXPECT_EQ(handed.back(), "/pics/own.bmp");
}

TEST(RunProgram, GivesUpOnMissingOrSlowPrograms) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(run_program({"glimmerbox-no-such-program"}, 5000).started);
    const CommandResult slow = run_program({"sleep", "30"}, 300);
    EXPECT_TRUE(slow.started && slow.timed_out);
    // Desktops whose tool or shell is missing report false at once.
    ScopedEnv path("PATH", "/nonexistent"), bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    for (const char* desktop : {"LXDE", "KDE"}) {
        ScopedEnv d("XDG_CURRENT_DESKTOP", desktop);
        EXPECT_FALSE(apply_desktop_wallpaper("/x.bmp", WallpaperStyle::Centered, run_program)) << desktop;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace
