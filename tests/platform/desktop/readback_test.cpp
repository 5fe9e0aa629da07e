// A wallpaper counts as set only when the desktop gives back what we sent; real gsettings round trips.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <sys/prctl.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/tool_quoting.h"
#include "support/checks.h"
#include "support/wallpaper_fixture.h"

using namespace platform;
using namespace platform::wallpaper_tools;
using wallpaper_test::Argv;
using test_support::eventually;
using wallpaper_test::ScopedEnv;

namespace {

// A command that reads a setting rather than writing or listing it.
bool reads_setting(const Argv& argv) {
    const auto has = [&](const char* word) { return std::find(argv.begin(), argv.end(), word) != argv.end(); };
    return has("get") || (has("xfconf-query") && has("-p") && !has("-s"));
}

class ReadBack : public wallpaper_test::WallpaperTest {
protected:
    // Sets a tiled wallpaper, every read of a key holding `key` answered through `spoil`.
    bool apply(const char* desktop, const std::string& path, const std::string& key = "",
               std::function<CommandResult(CommandResult)> spoil = nullptr) {
        const CommandRunner run = [&](const Argv& argv, int ms) {
            CommandResult r = services.run_command(argv, ms);
            const bool named = std::any_of(argv.begin(), argv.end(),
                                           [&](const std::string& a) { return a.find(key) != std::string::npos; });
            return spoil && reads_setting(argv) && named ? spoil(r) : r;
        };
        return apply_on(desktop, path, WallpaperStyle::Tiled, nullptr, run);
    }
};

TEST_F(ReadBack, ADesktopThatKeepsSomethingElseIsNoWallpaper) {
    const std::string path = "/p/sun #1 it's.bmp";
    // What a desktop may answer instead of the value we sent.
    const std::vector<std::pair<const char*, std::function<CommandResult(CommandResult)>>> spoils = {
        {"another value", [](CommandResult r) {
             r.output = r.output.front() == '\'' ? "'/p/other.bmp'\n" : "/p/other.bmp\n";
             return r;
         }},
        {"a byte lost to the locale", [](CommandResult r) { r.output[r.output.size() / 2] = '?'; return r; }},
        {"nothing", [](CommandResult r) { r.output.clear(); return r; }},
        {"an error", [](CommandResult r) { r.exit_code = 1; return r; }},
        {"too late", [](CommandResult r) { r.timed_out = true; return r; }},
        {"no program", [](CommandResult) { return CommandResult{}; }},
    };
    struct Row { const char* desktop; const char* key; };
    const Row rows[] = {{"GNOME", "picture-uri"},        {"GNOME", "picture-uri-dark"},
                        {"GNOME", "picture-options"},    {"X-Cinnamon", "picture-uri"},
                        {"MATE", "picture-filename"},    {"MATE", "picture-options"},
                        {"XFCE", "last-image"},          {"XFCE", "image-style"}};
    for (const Row& row : rows) {
        EXPECT_TRUE(apply(row.desktop, path)) << row.desktop;
        for (const auto& [what, spoil] : spoils)
            EXPECT_FALSE(apply(row.desktop, path, row.key, spoil)) << row.desktop << " " << row.key << " " << what;
    }
}

// As GLib 2.74's GVariant printer writes strings (measured): quotes, C escapes, \u / \U, locale bytes.
TEST(GvariantUnquote, ReadsWhatGsettingsPrints) {
    struct Row { std::string printed, text; };
    const Row rows[] = {
        {"'plain'\n", "plain"},
        {"\"it's\"\n", "it's"},
        {"'say \"hi\"'\n", "say \"hi\""},
        {"\"a'b\\\"c\"\n", "a'b\"c"},
        {"'back\\\\slash'", "back\\slash"},
        {"'x\\u0001y\\u007fz'\n", "x\x01y\x7fz"},
        {"'\\t\\n\\r\\v\\f\\b\\a'\n", "\t\n\r\v\f\b\a"},
        {"'zw\\u200bsp\xc2\xa0pu\\ue000 \xf0\x9f\x98\x80 \\U000e0001 soft\\u00ad'\n",
         "zw\xe2\x80\x8bsp\xc2\xa0pu\xee\x80\x80 \xf0\x9f\x98\x80 \xf3\xa0\x80\x81 soft\xc2\xad"},
        {"'caf\xc3\xa9'\n", "caf\xc3\xa9"},
    };
    for (const Row& row : rows) {
        std::string text;
        EXPECT_TRUE(gvariant_unquote(row.printed, text)) << row.printed;
        EXPECT_EQ(text, row.text) << row.printed;
    }
    for (const std::string bad : {"", "plain\n", "'open\n", "'a' 'b'", "'\\u00zz'", "'\\u12'", "'\\U0011000000'",
                                  "'ends in \\'", "@ms nothing"}) {
        std::string text;
        EXPECT_FALSE(gvariant_unquote(bad, text)) << bad;
    }
}

TEST(PlasmaReadBack, EveryDesktopMustHoldThePicture) {
    const std::string path = "/p/caf\xe9 #1.bmp", uri = "file:///p/caf%E9%20%231.bmp";
    struct Row { std::string printed; bool shows; };
    const Row rows[] = {
        {uri + "\n", true},
        {uri, true},
        {uri + "\n\n" + uri + "\n\n", true},  // print() ending each line itself
        {uri + "\r\n", true},
        {"", false},  // no desktop at all
        {"\n", false},
        {uri + "\nfile:///p/other.bmp\n", false},
        {"file:///p/caf%C3%A9%20%231.bmp\n", false},
        {uri + "x\n", false},
        {"ReferenceError: d is not defined\n", false},
    };
    for (const Row& row : rows) EXPECT_EQ(plasma_shows(row.printed, path), row.shows) << row.printed;
}

// Real gsettings on a private session bus, MATE's keys in a schema of our own (the desktops' own round trips
// are the desktop matrix's).
class RealDesktop : public wallpaper_test::WallpaperTest {
protected:
    void TearDown() override {
        bus.kill();
        bus.waitForFinished(5000);
        if (reaping) {  // the settings daemon the bus started ends with it
            eventually([] { return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; });
            ::prctl(PR_SET_CHILD_SUBREAPER, 0);
        }
    }
    const std::string home = (dir / "home").string(), runtime = (dir / "runtime").string();
    const std::string config = home + "/.config", data = home + "/.local/share", cache = home + "/.cache";
    ScopedEnv h{"HOME", home.c_str()}, c{"XDG_CONFIG_HOME", config.c_str()}, d{"XDG_DATA_HOME", data.c_str()},
        k{"XDG_CACHE_HOME", cache.c_str()}, r{"XDG_RUNTIME_DIR", runtime.c_str()}, s{"SWAYSOCK", nullptr},
        backend{"GSETTINGS_BACKEND", nullptr}, desktop{"XDG_CURRENT_DESKTOP", "MATE"};
    bool reaping = false;
    QProcess bus;
};

TEST_F(RealDesktop, GsettingsOnAPrivateSessionBus) {
    for (const char* program : {"gsettings", "dbus-daemon", "glib-compile-schemas"})
        if (QStandardPaths::findExecutable(program).isEmpty()) GTEST_SKIP() << program << " is not installed";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const std::string schemas = (dir / "schemas").string();
    wallpaper_test::write_file(schemas + "/org.mate.background.gschema.xml",
        "<schemalist><schema id='org.mate.background' path='/org/mate/desktop/background/'>"
        "<key name='picture-filename' type='s'><default>''</default></key>"
        "<key name='picture-options' type='s'><default>'zoom'</default></key>"
        "</schema></schemalist>\n");
    ASSERT_EQ(run_program({"glib-compile-schemas", schemas}, 20000).exit_code, 0);
    // What the bus starts (the settings daemon) is collected here.
    reaping = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForStarted(5000));
    QByteArray line;
    ASSERT_TRUE(eventually([&] {
        bus.waitForReadyRead(50);
        line += bus.readAllStandardOutput();
        return line.contains('\n');
    })) << "dbus-daemon printed no address";
    ScopedEnv a("DBUS_SESSION_BUS_ADDRESS", line.left(line.indexOf('\n')).trimmed().constData()),
        schema_dir("GSETTINGS_SCHEMA_DIR", schemas.c_str()), ascii("LC_ALL", "C");
    // Each value is read back byte for byte, in a locale that cannot print it.
    for (const std::string name :
         {"sun #1 100% it's.bmp", "caf\xc3\xa9.bmp", "ctl\x01 del\x7f.bmp", "zero\xe2\x80\x8bwidth.bmp"}) {
        const std::string path = (dir / name).string();
        wallpaper_test::write_file(path, "BM");
        EXPECT_TRUE(apply_desktop_wallpaper(path, WallpaperStyle::Tiled, run_program)) << name;
        std::string kept;
        const std::string printed = run_program({"env", "LC_ALL=C.UTF-8", "gsettings", "get", "org.mate.background",
                                                 "picture-filename"}, 5000).output;
        EXPECT_TRUE(gvariant_unquote(printed, kept) && kept == path) << printed;
    }
    EXPECT_TRUE(std::filesystem::exists(config + "/dconf/user"));  // the private database
}

}  // namespace
