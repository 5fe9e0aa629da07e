// What each desktop's tools are given, through the recording runner, for
// centred and tiled pictures with awkward names; the alternating links for
// desktops that ignore a repeated path; and the program runner itself.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/desktop_wallpaper.h"
#include "platform/wallpaper_tools.h"
#include "wallpaper_fixture.h"

using namespace platform;
using namespace platform::wallpaper_tools;
using wallpaper_test::read_file;
using wallpaper_test::ScopedEnv;
using wallpaper_test::WallpaperTest;
using wallpaper_test::write_file;
using Argv = std::vector<std::string>;

namespace {

const std::string kOdd = "/home/ana/My Pics/sun #1 100% it's.bmp";

class DesktopCommands : public WallpaperTest {
protected:
    bool apply(const char* desktop, WallpaperStyle style, const std::string& path = kOdd) {
        ScopedEnv d("XDG_CURRENT_DESKTOP", desktop);
        ScopedEnv s("SWAYSOCK", nullptr);
        ScopedEnv x("DISPLAY", ":glimmerbox-test");
        commands.clear();
        return apply_desktop_wallpaper(path, style, services.run_command);
    }
};

TEST(DesktopDetection, ReadsTheListSwaysockAndDisplay) {
    EXPECT_EQ(detect_desktop("ubuntu:GNOME", nullptr, ":0"), Desktop::Gnome);
    EXPECT_EQ(detect_desktop("Budgie:GNOME", nullptr, nullptr), Desktop::Gnome);
    EXPECT_EQ(detect_desktop("Unity", nullptr, nullptr), Desktop::Gnome);
    EXPECT_EQ(detect_desktop("X-Cinnamon", nullptr, nullptr), Desktop::Cinnamon);
    EXPECT_EQ(detect_desktop("mate", nullptr, nullptr), Desktop::Mate);
    EXPECT_EQ(detect_desktop("XFCE", nullptr, nullptr), Desktop::Xfce);
    EXPECT_EQ(detect_desktop("KDE", nullptr, nullptr), Desktop::Kde);
    EXPECT_EQ(detect_desktop("LXQt", nullptr, nullptr), Desktop::Lxqt);
    EXPECT_EQ(detect_desktop("LXDE", nullptr, nullptr), Desktop::Lxde);
    EXPECT_EQ(detect_desktop("Unknown:kde", nullptr, nullptr), Desktop::Kde);
    EXPECT_EQ(detect_desktop("", "/run/sway.sock", ":0"), Desktop::Sway);
    EXPECT_EQ(detect_desktop("openbox", nullptr, ":0"), Desktop::X11);
    EXPECT_EQ(detect_desktop(nullptr, "", ""), Desktop::None);
}

TEST_F(DesktopCommands, GnomeSetsBothUrisAndTheOptionAndReadsThemBack) {
    const std::string uri = "file:///home/ana/My%20Pics/sun%20%231%20100%25%20it's.bmp";
    EXPECT_EQ(file_uri(kOdd), uri);
    const std::string schema = "org.gnome.desktop.background";
    for (auto [style, option] : {std::pair{WallpaperStyle::Centered, "centered"},
                                 std::pair{WallpaperStyle::Tiled, "wallpaper"}}) {
        ASSERT_TRUE(apply("ubuntu:GNOME", style));
        const std::vector<Argv> expected = {
            {"gsettings", "set", schema, "picture-uri", "'" + std::string(uri).replace(uri.find('\''), 1, "\\'") + "'"},
            {"gsettings", "get", schema, "picture-uri"},
            {"gsettings", "set", schema, "picture-uri-dark", "'" + std::string(uri).replace(uri.find('\''), 1, "\\'") + "'"},
            {"gsettings", "get", schema, "picture-uri-dark"},
            {"gsettings", "set", schema, "picture-options", std::string("'") + option + "'"},
            {"gsettings", "get", schema, "picture-options"},
        };
        EXPECT_EQ(commands, expected);
    }
}

TEST_F(DesktopCommands, GsettingsThatWritesNothingIsAFailure) {
    // Without a session bus gsettings exits 0 and keeps nothing.
    programs["gsettings"] = [](const Argv&) {
        CommandResult r;
        r.started = true;
        r.exit_code = 0;
        return r;
    };
    EXPECT_FALSE(apply("GNOME", WallpaperStyle::Centered));
    EXPECT_FALSE(apply("MATE", WallpaperStyle::Centered));
}

TEST_F(DesktopCommands, CinnamonAndMate) {
    ASSERT_TRUE(apply("X-Cinnamon", WallpaperStyle::Tiled));
    ASSERT_EQ(commands.size(), 4u) << "no dark key";
    EXPECT_EQ(commands[0][2], "org.cinnamon.desktop.background");
    EXPECT_EQ(commands[0][3], "picture-uri");
    EXPECT_EQ(commands[0][4].substr(0, 9), "'file:///");
    EXPECT_EQ(commands[2], (Argv{"gsettings", "set", "org.cinnamon.desktop.background",
                                 "picture-options", "'wallpaper'"}));

    ASSERT_TRUE(apply("MATE", WallpaperStyle::Centered));
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0], (Argv{"gsettings", "set", "org.mate.background", "picture-filename",
                                 "'/home/ana/My Pics/sun #1 100% it\\'s.bmp'"}));
    EXPECT_EQ(commands[2], (Argv{"gsettings", "set", "org.mate.background", "picture-options",
                                 "'centered'"}));
    std::string back;
    ASSERT_TRUE(gvariant_unquote("\"/a/it's\"\n", back));
    EXPECT_EQ(back, "/a/it's");
    ASSERT_TRUE(gvariant_unquote(gvariant_quote("a\\b'c\nd"), back));
    EXPECT_EQ(back, "a\\b'c\nd");
    EXPECT_FALSE(gvariant_unquote("@as []", back));
}

TEST_F(DesktopCommands, XfceSetsEveryListedBackdrop) {
    programs["xfconf-query"] = [](const Argv& argv) {
        CommandResult r;
        r.started = true;
        r.exit_code = 0;
        if (argv.size() == 4 && argv[3] == "-l")
            r.output = "/backdrop/screen0/monitorVirtual-1/workspace0/last-image\n"
                       "/backdrop/screen0/monitorVirtual-1/workspace0/image-style\n"
                       "/backdrop/screen0/monitorVirtual-1/workspace1/color-style\n"
                       "/backdrop/screen0/monitor0/workspace0/last-image\n"
                       "/backdrop/screen0/monitorA/B/workspace0/last-image\n"
                       "/desktop-icons/style\n";
        return r;
    };
    ASSERT_TRUE(apply("XFCE", WallpaperStyle::Tiled, "/pics/a b.bmp"));
    std::vector<Argv> expected = {{"xfconf-query", "-c", "xfce4-desktop", "-l"}};
    for (const char* p : {"/backdrop/screen0/monitor0/workspace0/",
                          "/backdrop/screen0/monitorVirtual-1/workspace0/",
                          "/backdrop/screen0/monitorVirtual-1/workspace1/"}) {
        expected.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", std::string(p) + "last-image",
                            "-n", "-t", "string", "-s", "/pics/a b.bmp"});
        expected.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", std::string(p) + "image-style",
                            "-n", "-t", "int", "-s", "2"});
    }
    EXPECT_EQ(commands, expected);

    // Nothing listed: the first monitor's first workspace; centred is 1.
    programs.erase("xfconf-query");
    ASSERT_TRUE(apply("XFCE", WallpaperStyle::Centered, "/pics/c.bmp"));
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[1][4], "/backdrop/screen0/monitor0/workspace0/last-image");
    EXPECT_EQ(commands[2].back(), "1");
}

TEST_F(DesktopCommands, PcmanfmSwayAndTheRootWindow) {
    ASSERT_TRUE(apply("LXQt", WallpaperStyle::Centered));
    EXPECT_EQ(commands, (std::vector<Argv>{{"pcmanfm-qt", "--set-wallpaper=" + kOdd,
                                            "--wallpaper-mode=center"}}));
    ASSERT_TRUE(apply("LXDE", WallpaperStyle::Tiled));
    EXPECT_EQ(commands, (std::vector<Argv>{{"pcmanfm", "--set-wallpaper=" + kOdd,
                                            "--wallpaper-mode=tile"}}));

    ASSERT_TRUE(apply("sway", WallpaperStyle::Tiled, "/p/say \"hi\" \\ it's.bmp"));
    EXPECT_EQ(commands, (std::vector<Argv>{{"swaymsg", "output", "*", "bg",
                                            "\"/p/say \\\"hi\\\" \\\\ it's.bmp\"", "tile",
                                            "#000000"}}));

    ASSERT_TRUE(apply(nullptr, WallpaperStyle::Centered));
    EXPECT_EQ(commands, (std::vector<Argv>{{"feh", "--no-fehbg", "--bg-center", kOdd}}));
    ASSERT_TRUE(apply("openbox", WallpaperStyle::Tiled));
    EXPECT_EQ(commands, (std::vector<Argv>{{"feh", "--no-fehbg", "--bg-tile", kOdd}}));

    // Without feh: hsetroot.
    programs["feh"] = [](const Argv&) { return CommandResult{}; };
    ASSERT_TRUE(apply(nullptr, WallpaperStyle::Tiled));
    EXPECT_EQ(commands, (std::vector<Argv>{{"feh", "--no-fehbg", "--bg-tile", kOdd},
                                           {"hsetroot", "-tile", kOdd}}));
    // A failing tool is a failure; no desktop at all is nothing to do.
    programs["hsetroot"] = [](const Argv&) { return CommandResult{true, false, 1, ""}; };
    EXPECT_FALSE(apply(nullptr, WallpaperStyle::Centered));
    ScopedEnv no_display("DISPLAY", nullptr);
    ScopedEnv no_desktop("XDG_CURRENT_DESKTOP", nullptr);
    ScopedEnv no_sway("SWAYSOCK", nullptr);
    commands.clear();
    EXPECT_FALSE(apply_desktop_wallpaper(kOdd, WallpaperStyle::Centered, services.run_command));
    EXPECT_TRUE(commands.empty());
}

TEST(PlasmaScript, SetsPictureAndFillModeWithTheUriEscaped) {
    const std::string centred = plasma_script("/p/it's a\\b #1.bmp", false);
    EXPECT_NE(centred.find("d.wallpaperPlugin = 'org.kde.image';"), std::string::npos);
    EXPECT_NE(centred.find("['Wallpaper', 'org.kde.image', 'General']"), std::string::npos);
    EXPECT_NE(centred.find("d.writeConfig('Image', 'file:///p/it\\'s%20a%5Cb%20%231.bmp');"),
              std::string::npos)
        << centred;
    EXPECT_NE(centred.find("d.writeConfig('FillMode', 6);"), std::string::npos);
    EXPECT_NE(plasma_script("/p/x.bmp", true).find("d.writeConfig('FillMode', 3);"), std::string::npos);
}

TEST_F(DesktopCommands, RepeatedPreviewGetsAFreshLinkEachTime) {
    const std::string preview = services.preview_bmp_path;
    const std::string folder = std::filesystem::path(preview).parent_path().string();
    std::vector<std::string> handed;
    programs["pcmanfm-qt"] = [&](const Argv& argv) {
        handed.push_back(argv.at(1).substr(std::string("--set-wallpaper=").size()));
        return CommandResult{true, false, 0, ""};
    };
    write_file(preview, "first picture");
    ASSERT_TRUE(apply("LXQt", WallpaperStyle::Centered, preview));
    // The converted picture is replaced as a new file, as the writer does.
    write_file(preview + ".new", "second picture");
    std::filesystem::rename(preview + ".new", preview);
    ASSERT_TRUE(apply("LXQt", WallpaperStyle::Centered, preview));
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_NE(handed[0], handed[1]);
    EXPECT_EQ(std::filesystem::path(handed[0]).parent_path(), folder);
    EXPECT_EQ(read_file(handed[1]), "second picture");
    EXPECT_FALSE(std::filesystem::exists(handed[0])) << "the older link is removed";
    EXPECT_EQ(read_file(preview), "second picture");
    // The third call goes back to the first name, with the new content.
    write_file(preview + ".new", "third picture");
    std::filesystem::rename(preview + ".new", preview);
    ASSERT_TRUE(apply("LXQt", WallpaperStyle::Tiled, preview));
    EXPECT_EQ(handed[2], handed[0]);
    EXPECT_EQ(read_file(handed[2]), "third picture");
    EXPECT_FALSE(std::filesystem::exists(handed[1]));

    // XFCE too; other files and other desktops get the path itself.
    commands.clear();
    ASSERT_TRUE(apply("XFCE", WallpaperStyle::Tiled, preview));
    EXPECT_NE(commands.at(1).at(9), preview);
    ASSERT_TRUE(apply("GNOME", WallpaperStyle::Tiled, preview));
    EXPECT_EQ(commands.at(0).at(4), "'" + file_uri(preview) + "'");
    ASSERT_TRUE(apply("XFCE", WallpaperStyle::Tiled, "/pics/own.bmp"));
    EXPECT_EQ(commands.at(1).at(9), "/pics/own.bmp");
}

TEST_F(DesktopCommands, NoLinkPossibleFallsBackToThePath) {
    std::string previous;
    // A folder cannot be hard-linked; a missing file neither.
    const std::string folder = (dir / "a folder").string();
    std::filesystem::create_directories(folder);
    EXPECT_EQ(fresh_alias(folder, previous), folder);
    EXPECT_EQ(previous, "");
    EXPECT_EQ(fresh_alias((dir / "missing.bmp").string(), previous), (dir / "missing.bmp").string());
    write_file(services.preview_bmp_path, "x");
    const std::string alias = fresh_alias(services.preview_bmp_path, previous);
    EXPECT_EQ(std::filesystem::path(alias).filename(), ".preview-a.bmp");
}

TEST(RunProgram, CapturesOutputAndExitCode) {
    const CommandResult ok = run_program({"printf", "%s|", "a b", "it's"}, 5000);
    EXPECT_TRUE(ok.started);
    EXPECT_FALSE(ok.timed_out);
    EXPECT_EQ(ok.exit_code, 0);
    EXPECT_EQ(ok.output, "a b|it's|");
    const CommandResult failed = run_program({"false"}, 5000);
    EXPECT_TRUE(failed.started);
    EXPECT_EQ(failed.exit_code, 1);
    // Standard input is empty, not the test's own.
    EXPECT_EQ(run_program({"cat"}, 5000).output, "");
}

TEST(RunProgram, MissingProgramAndTimeLimit) {
    const CommandResult missing = run_program({"glimmerbox-no-such-program"}, 5000);
    EXPECT_FALSE(missing.started);
    const auto start = std::chrono::steady_clock::now();
    const CommandResult slow = run_program({"sleep", "30"}, 300);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(slow.started);
    EXPECT_TRUE(slow.timed_out);
    EXPECT_LT(took, std::chrono::seconds(10));
    // A desktop whose tool is missing reports false at once.
    ScopedEnv d("XDG_CURRENT_DESKTOP", "LXDE");
    ScopedEnv p("PATH", "/nonexistent");
    EXPECT_FALSE(apply_desktop_wallpaper("/x.bmp", WallpaperStyle::Centered, run_program));
}

}  // namespace
