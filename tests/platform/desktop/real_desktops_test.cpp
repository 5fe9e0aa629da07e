// The wallpaper through real gsettings on a private session bus, with private
// HOME and XDG folders, read back with gsettings itself: our GVariant quoting
// and URIs as the real parser reads them. (The root-window tools are run by
// the end-to-end suite.)
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/desktop/desktop_wallpaper.h"
#include "wallpaper/wallpaper_fixture.h"

using namespace platform;
using wallpaper_test::ScopedEnv;

namespace {

// Polls until the check holds or five seconds have passed.
template <class Check>
bool eventually(Check check) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (; std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (check()) return true;
    return check();
}

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
        backend{"GSETTINGS_BACKEND", nullptr}, desktop{"XDG_CURRENT_DESKTOP", "GNOME"};
    bool reaping = false;
    QProcess bus;
};

TEST_F(RealDesktop, GsettingsOnAPrivateSessionBus) {
    for (const char* program : {"gsettings", "dbus-daemon"})
        if (QStandardPaths::findExecutable(program).isEmpty()) GTEST_SKIP() << program << " is not installed";
    if (!std::filesystem::exists("/usr/share/glib-2.0/schemas/org.gnome.desktop.background.gschema.xml"))
        GTEST_SKIP() << "the GNOME desktop schemas are not installed";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const std::string picture = (dir / "sun #1 100% it's.bmp").string();
    wallpaper_test::write_file(picture, "BM");
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
    ScopedEnv a("DBUS_SESSION_BUS_ADDRESS", line.left(line.indexOf('\n')).trimmed().constData());
    const auto get = [](const std::string& key) {
        return run_program({"gsettings", "get", "org.gnome.desktop.background", key}, 5000).output;
    };
    const std::string uri = "\"file://" + dir.string() + "/sun%20%231%20100%25%20it's.bmp\"\n";
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Tiled, run_program));
    EXPECT_EQ(get("picture-uri"), uri);
    EXPECT_EQ(get("picture-options"), "'wallpaper'\n");
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Centered, run_program));
    EXPECT_EQ(get("picture-options"), "'centered'\n");
    // A name that is not UTF-8 reaches GNOME as a name of our own for it.
    const std::string latin1 = (dir / "caf\xe9 \xff.bmp").string();
    wallpaper_test::write_file(latin1, "BM");
    ASSERT_TRUE(apply_desktop_wallpaper(latin1, WallpaperStyle::Centered, run_program));
    EXPECT_EQ(get("picture-uri"), "'file://" + dir.string() + "/.local/share/glimmerbox/.wallpaper-a.bmp'\n");
    EXPECT_EQ(get("picture-uri-dark"), "'file://" + dir.string() + "/.local/share/glimmerbox/.wallpaper-a.bmp'\n");
    EXPECT_TRUE(std::filesystem::exists(config + "/dconf/user"));  // the private database
}

}  // namespace
