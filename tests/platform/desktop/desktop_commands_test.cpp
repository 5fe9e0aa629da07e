// What each desktop's tools are given for awkward, hostile and non-UTF-8 names, and the program runner.
#include <gtest/gtest.h>

#include <QByteArray>

#include <wordexp.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/core/leaving.h"
#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/desktop_wallpaper_alias.h"
#include "platform/desktop/tool_quoting.h"
#include "platform/files/file_uri.h"
#include "support/checks.h"
#include "support/wallpaper_fixture.h"

using namespace platform;
using namespace platform::wallpaper_tools;
using wallpaper_test::Argv;
using wallpaper_test::same_file;
using wallpaper_test::write_file;
using Commands = std::vector<Argv>;

namespace {

const std::string kOdd = "/home/ana/My Pics/sun #1 100% it's \"hi\" \\.bmp";

class DesktopCommands : public wallpaper_test::WallpaperTest {
protected:
    std::vector<std::string> paths_held() const;
};

// What each desktop holds once it is set ("@" the style): its settings, or what its tool was run with.
TEST_F(DesktopCommands, EachDesktopHoldsThePictureInItsOwnTerms) {
    // Every monitor and workspace listed under the backdrop, once each.
    for (const char* property : {"/backdrop/screen0/monitorV-1/workspace1/color-style", "/desktop-icons/style",
                                 "/backdrop/screen0/monitorV-1/workspace0/last-image",
                                 "/backdrop/screen0/monitorA/B/workspace0/last-image"})
        xfconf[property] = "";
    const std::string uri = "'file:///home/ana/My%20Pics/sun%20%231%20100%25%20it\\'s%20%22hi%22%20%5C.bmp'";
    const std::string gnome = "org.gnome.desktop.background", cinnamon = "org.cinnamon.desktop.background",
                      mate = "org.mate.background", xfce = "/backdrop/screen0/monitorV-1/workspace";
    struct Row {
        const char* desktop;
        std::string centred, tiled;
        std::map<std::string, std::string> held;
        Commands run;
    };
    const Row rows[] = {
        {"ubuntu:GNOME", "'centered'", "'wallpaper'",
         {{gnome + "picture-uri", uri}, {gnome + "picture-uri-dark", uri}, {gnome + "picture-options", "@"}}, {}},
        {"X-Cinnamon", "'centered'", "'wallpaper'",
         {{cinnamon + "picture-uri", uri}, {cinnamon + "picture-options", "@"}}, {}},
        {"mate", "'centered'", "'wallpaper'",
         {{mate + "picture-filename", "'/home/ana/My Pics/sun #1 100% it\\'s \"hi\" \\\\.bmp'"},
          {mate + "picture-options", "@"}}, {}},
        {"XFCE", "1", "2",
         {{xfce + "0/last-image", kOdd}, {xfce + "0/image-style", "@"}, {xfce + "1/last-image", kOdd},
          {xfce + "1/image-style", "@"}}, {}},
        {"LXQt", "--wallpaper-mode=center", "--wallpaper-mode=tile", {},
         {{"pcmanfm-qt", "--set-wallpaper=" + kOdd, "@"}}},
        {"LXDE", "--wallpaper-mode=center", "--wallpaper-mode=tile", {}, {{"pcmanfm", "--set-wallpaper=" + kOdd, "@"}}},
        {"openbox", "--bg-center", "--bg-tile", {}, {{"feh", "--no-fehbg", "@", kOdd}}},
    };
    for (const Row& row : rows) {
        for (const auto style : {WallpaperStyle::Centered, WallpaperStyle::Tiled}) {
            const std::string word = style == WallpaperStyle::Tiled ? row.tiled : row.centred;
            gsettings.clear();
            for (auto& [property, value] : xfconf) value.clear();
            EXPECT_TRUE(apply_on(row.desktop, kOdd, style)) << row.desktop;
            std::map<std::string, std::string> held = gsettings;
            for (const auto& [property, value] : xfconf)
                if (!value.empty()) held[property] = value;
            auto expected = row.held;
            for (auto& [where, value] : expected)
                if (value == "@") value = word;
            EXPECT_EQ(held, expected) << row.desktop;
            Commands run = row.run;
            for (auto& argv : run) std::replace(argv.begin(), argv.end(), std::string("@"), word);
            if (!run.empty()) {
                EXPECT_EQ(commands, run) << row.desktop;
            }
        }
    }
    // Without feh: hsetroot.
    programs["feh"] = [](const Argv&) { return CommandResult{}; };
    EXPECT_TRUE(apply_on(nullptr, kOdd, WallpaperStyle::Tiled));
    EXPECT_EQ(commands, (Commands{{"feh", "--no-fehbg", "--bg-tile", kOdd}, {"hsetroot", "-tile", kOdd}}));
}

// URIs as GIO makes them (measured), byte for byte; the Plasma script's string is plain and decodes alike.
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
        const std::string script = plasma_script(path, "6"), head = "d.writeConfig('Image', '";
        const auto at = script.find(head) + head.size();
        const std::string literal = script.substr(at, script.find("');", at) - at);
        EXPECT_EQ(literal.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789%/:._~-"),
                  std::string::npos) << literal;
        EXPECT_EQ(QByteArray::fromPercentEncoding(QByteArray::fromStdString(literal)).toStdString(), "file://" + path);
    }
}

// A word as sway reads it: its parser's quotes off, then word expansion.
std::string sway_word(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    wordexp_t words{};
    const int rc = ::wordexp(text.c_str(), &words, WRDE_NOCMD | WRDE_UNDEF);
    if (rc != 0) return "<wordexp refused " + text + ": " + std::to_string(rc) + ">";
    text = words.we_wordc == 1 ? words.we_wordv[0] : "<split into " + std::to_string(words.we_wordc) + ">";
    ::wordfree(&words);
    return text;
}

// Each path the desktop holds, read as it reads it: its settings, else what its tool was given.
std::vector<std::string> DesktopCommands::paths_held() const {
    std::vector<std::string> paths;
    std::string text;
    const auto unescaped = [](const std::string& uri) {
        return QByteArray::fromPercentEncoding(QByteArray::fromStdString(uri.substr(7))).toStdString();
    };
    for (const auto& [key, value] : gsettings) {
        if (key.ends_with("picture-options")) continue;
        if (!gvariant_unquote(value, text)) text = "<no string: " + value + ">";
        paths.push_back(text.starts_with("file://") ? unescaped(text) : text);
    }
    for (const auto& [property, value] : xfconf)
        if (property.ends_with("/last-image")) paths.push_back(value);
    for (const Argv& argv : commands) {
        if (argv[0].starts_with("pcmanfm")) paths.push_back(argv.at(1).substr(argv[1].find('=') + 1));
        if (argv[0] == "feh") paths.push_back(argv.back());
        if (argv[0] == "swaymsg") paths.push_back(sway_word(argv.at(4)));
    }
    return paths;
}

// sway, and UTF-8-only desktops given another name, get a name of our own for that file.
TEST_F(DesktopCommands, HostileNamesReachEveryDesktopAsThatVeryFile) {
    // A relative path (an XDG folder given as "--bg-fill") goes to no tool.
    EXPECT_FALSE(apply_on(nullptr, "--bg-fill/glimmerbox/preview.bmp"));
    EXPECT_TRUE(commands.empty());
    const std::string folder = (dir / wallpaper_test::kHostileFolder).string();
    const std::string data = std::filesystem::path(services.preview_bmp_path).parent_path().string();
    struct Row { const char* desktop; const char* swaysock; bool utf8_only; };
    const Row rows[] = {{"GNOME", nullptr, true}, {"X-Cinnamon", nullptr, false}, {"MATE", nullptr, true},
                        {"XFCE", nullptr, true},  {"LXQt", nullptr, true},        {"LXDE", nullptr, false},
                        {nullptr, "/run/sway", true}, {nullptr, nullptr, false}};
    std::vector<std::string> names = wallpaper_test::kHostileNames;
    names.push_back("caf\xe9 #1 100% it's \xff.bmp");  // Latin-1
    names.push_back("{style} {picture}.bmp");  // what stands for them in a tool's words
    names.push_back("link \xe9.bmp");  // a link relative to its own folder: an alias must reach its target
    std::string last_own;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        if (name.starts_with("link "))
            std::filesystem::create_symlink("it's.bmp", path);
        else
            write_file(path, "BM " + name);
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.desktop ? row.desktop : row.swaysock ? "sway" : "X11") + " " + name);
            gsettings.clear();
            xfconf.clear();
            ASSERT_TRUE(apply_on(row.desktop, path, WallpaperStyle::Centered, row.swaysock));
            const std::vector<std::string> held = paths_held();
            EXPECT_FALSE(held.empty());
            for (const std::string& given : held) {
                if (row.swaysock || (row.utf8_only && !valid_utf8(path))) {
                    EXPECT_TRUE(same_file(given, path)) << given;
                    EXPECT_TRUE(valid_utf8(given) && given.starts_with(data + "/")) << given;
                    last_own = given;
                } else {
                    EXPECT_EQ(given, path);
                }
            }
            if (row.swaysock) {
                EXPECT_EQ(commands, (Commands{{"swaymsg", "output", "*", "bg", held.at(0), "center", "#000000"}}));
            }
        }
    }
    // The last tool shows the picture by its own name: none of ours is left.
    EXPECT_FALSE(last_own.empty());
    EXPECT_EQ(test_support::entries_of(data), std::vector<std::string>{});
    // UTF-8 at the bounds of each length and beside the surrogates; overlong forms, surrogates, past U+10FFFF.
    EXPECT_TRUE(valid_utf8("\xc2\x80\xdf\xbf \xe0\xa0\x80\xef\xbf\xbf \xed\x9f\xbf\xee\x80\x80 "
                           "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"));
    for (const char* bad : {"\xc3(", "\xc0\xaf", "\xc1\xbf", "\xe0\x9f\xbf", "\xf0\x8f\xbf\xbf", "\xed\xa0\x80",
                            "\xed\xbf\xbf", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xe2\x82", "\x80"})
        EXPECT_FALSE(valid_utf8(bad)) << bad;
}

TEST_F(DesktopCommands, NoNameOfOurOwnMeansNoWallpaper) {
    const std::string latin1 = (dir / "pics/caf\xe9.bmp").string();
    write_file((dir / "blocker").string(), "a regular file");
    // A missing file; a data folder not in UTF-8; one that cannot be made (under a regular file).
    for (const std::string data : {"/data", "/d\xe9ta", "/blocker/data"}) {
        services.preview_bmp_path = dir.string() + data + "/preview.bmp";
        install();
        for (const char* desktop : {"XFCE", "LXQt", "MATE", "GNOME"}) {
            SCOPED_TRACE(data + " " + desktop);
            EXPECT_FALSE(apply_on(desktop, latin1));
            EXPECT_TRUE(commands.empty());
        }
        write_file(latin1, "BM latin-1");
    }
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
        ASSERT_TRUE(apply_on("LXQt", preview));
        EXPECT_EQ(wallpaper_test::read_file_bytes(handed.back()), content);
    }
    EXPECT_NE(handed[0], handed[1]);  // not the name the desktop shows already
}

// Our aliases in the data folder, after each picture in turn: only the one
// the desktop shows, whatever the extensions, and none once it shows a
// picture by its own name.
TEST_F(DesktopCommands, OnlyTheAliasShownIsKept) {
    const std::string data = std::filesystem::path(services.preview_bmp_path).parent_path().string();
    // A tool that fails leaves the desktop on the alias it showed before.
    const struct { const char* name; bool tool_fails; std::vector<std::string> left; } rows[] = {
        {"a\xe9.bmp", false, {".wallpaper-a.bmp"}}, {"b\xe9.ico", false, {".wallpaper-b.ico"}},
        {"x\xe9.bmp", true, {".wallpaper-b.ico"}},  {"c\xe9.aZ9A0", false, {".wallpaper-a.aZ9A0"}},
        {"d\xe9", false, {".wallpaper-b"}},         {"plain.bmp", false, {}}};
    // Left by a switch cut short.
    for (const char* stale : {"/.wallpaper-b.ico", "/.preview-b.gif"}) write_file(data + stale, "BM");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = (dir / "pics" / row.name).string();
        write_file(path, "BM");
        if (row.tool_fails) programs["xfconf-query"] = [](const Argv&) { return CommandResult{true, false, 1, ""}; };
        EXPECT_EQ(apply_on("XFCE", path), !row.tool_fails);
        programs.erase("xfconf-query");
        EXPECT_EQ(test_support::entries_of(data), row.left);
    }
}

// A picture on another filesystem is copied: private to the user, refused
// when larger than the limit or without room to spare, never left partial.
TEST_F(DesktopCommands, CopiesArePrivateBoundedAndWhole) {
    const std::string shm = "/dev/shm/glimmerbox-alias-test-" + std::to_string(::getpid());
    const std::string picture = shm + "/private.bmp";
    write_file(picture, std::string(30'000, 'p'));
    ASSERT_EQ(::chmod(picture.c_str(), 0600), 0);
    const std::string data = (dir / "data").string();
    std::filesystem::create_directories(data);
    struct stat a {}, b {};
    if (::stat(shm.c_str(), &a) != 0 || ::stat(data.c_str(), &b) != 0 || a.st_dev == b.st_dev) {
        std::filesystem::remove_all(shm);
        GTEST_SKIP() << "no second filesystem at /dev/shm";
    }
    const struct { const char* what; CopyLimits limits; bool made; } rows[] = {
        {"within the limits", {}, true},
        {"as large as the limit", {30'000, 0}, true},
        {"larger than the limit", {29'999, 0}, false},
        {"too little room", {CopyLimits{}.max_bytes, std::uint64_t(1) << 62}, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::string previous;
        const std::string alias = fresh_alias(picture, data + "/.wallpaper", previous, row.limits);
        EXPECT_EQ(!alias.empty(), row.made);
        if (row.made) {
            struct stat st {};
            EXPECT_EQ(::stat(alias.c_str(), &st) == 0 ? st.st_mode & 0777 : 0, 0600u);
            EXPECT_EQ(wallpaper_test::read_file_bytes(alias), std::string(30'000, 'p'));
            ::unlink(alias.c_str());
        }
        EXPECT_EQ(test_support::entries_of(data), std::vector<std::string>{});
    }
    // A file that grows past the limit while it is copied (its size says 0) leaves nothing behind.
    std::string previous;
    EXPECT_EQ(fresh_alias("/proc/self/maps", data + "/.wallpaper", previous, {16, 0}), "");
    EXPECT_EQ(test_support::entries_of(data), std::vector<std::string>{});
    std::filesystem::remove_all(shm);
}

// Leaving kills a running tool's whole group, helpers included, and no tool
// starts after that.
TEST(RunProgram, LeavingKillsTheToolsGroup) {
    test_support::TempDir dir;
    const std::string pids = dir.file("pids");
    platform::set_leave_end_for_tests([](int) {});
    CommandResult result;
    std::thread tool([&] {
        result = run_program({"sh", "-c", "sleep 20 & echo $! > '" + pids + "'; exec sleep 20"}, 60'000);
    });
    while (test_support::entries_of(dir.path()).empty() || wallpaper_test::read_file_bytes(pids).empty())
        std::this_thread::yield();
    const pid_t helper = std::stoi(wallpaper_test::read_file_bytes(pids));
    platform::leave_now(0);
    tool.join();
    EXPECT_TRUE(result.started && !result.timed_out && result.exit_code == -1);
    // Killed: soon gone, or a zombie waiting for the init process to reap it.
    // The signal reaches the helper a moment after kill() returns, so poll.
    EXPECT_TRUE(test_support::eventually([stat = "/proc/" + std::to_string(helper) + "/stat"] {
        std::string line;
        std::getline(std::ifstream(stat), line);
        return line.empty() || line.substr(line.rfind(')') + 2, 1) == "Z";
    }, std::chrono::seconds(10)));
    EXPECT_FALSE(run_program({"true"}, 5000).started);
    platform::set_leave_end_for_tests(nullptr);
    platform::reset_leaving_for_tests();
}

// A program killed by a signal has no exit code: it never counts as success. Only its output is read;
// it gets no input and its complaints go nowhere.
TEST(RunProgram, ReportsHowTheProgramEnded) {
    const struct { Argv argv; int limit_ms; bool started, timed_out; int exit_code; std::string output; } rows[] = {
        {{"glimmerbox-no-such-program"}, 20'000, false, false, -1, ""},
        {{"sh", "-c", "exit 3"}, 20'000, true, false, 3, ""},
        {{"sh", "-c", "kill -KILL $$"}, 20'000, true, false, -1, ""},
        {{"sleep", "30"}, 300, true, true, -1, ""},
        {{"readlink", "/proc/self/fd/0", "/proc/self/fd/2"}, 20'000, true, false, 0, "/dev/null\n/dev/null\n"},
    };
    for (const auto& row : rows) {
        const CommandResult r = run_program(row.argv, row.limit_ms);
        EXPECT_EQ(std::tuple(r.started, r.timed_out, r.exit_code, r.output),
                  std::tuple(row.started, row.timed_out, row.exit_code, row.output))
            << row.argv.back();
    }
}

}  // namespace
