// The wallpaper through real desktop tools, with private HOME and XDG
// folders: gsettings on a private session bus, read back with gsettings
// itself; feh and hsetroot on a private X server, read back from its pixels.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/desktop/desktop_wallpaper.h"
#include "support/pictures.h"
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
    EXPECT_TRUE(std::filesystem::exists(config + "/dconf/user")) << "written to the private database";
}

TEST_F(RealDesktop, FehAndHsetrootShowHostileNamesAsThoseVeryFiles) {
    const QString import = QStandardPaths::findExecutable("import");
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() || import.isEmpty())
        GTEST_SKIP() << "Xvfb or ImageMagick's import is not installed";
    QProcess x;
    x.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "64x64x24"});
    ASSERT_TRUE(x.waitForStarted(5000));
    QByteArray number;
    ASSERT_TRUE(eventually([&] {
        x.waitForReadyRead(50);
        number += x.readAllStandardOutput();
        return number.contains('\n');
    })) << "Xvfb printed no display";
    const std::string display = ":" + number.trimmed().toStdString();
    ScopedEnv on("DISPLAY", display.c_str()), none("XDG_CURRENT_DESKTOP", nullptr);
    // A command run from a name would leave its file X in the current folder.
    const std::string cwd = (dir / "cwd").string(), folder = (dir / wallpaper_test::kHostileFolder).string();
    std::filesystem::create_directories(cwd);
    const auto old_cwd = std::filesystem::current_path();
    std::filesystem::current_path(cwd);
    const auto centre_colour = [&] {
        const std::string out =
            run_program({import.toStdString(), "-window", "root", "-crop", "1x1+32+32", "-depth", "8", "txt:-"}, 5000)
                .output;
        const auto hash = out.find('#', out.find('\n'));  // after the header line
        return hash == std::string::npos ? out : out.substr(hash, 7);
    };
    int shown = 0;
    for (const char* tool : {"feh", "hsetroot"}) {
        const QString real = QStandardPaths::findExecutable(tool);
        if (real.isEmpty()) continue;
        // The one root-window tool on the PATH.
        const std::string bin = (dir / (std::string("bin-") + tool)).string();
        std::filesystem::create_directories(bin);
        std::filesystem::create_symlink(real.toStdString(), bin + "/" + tool);
        ScopedEnv path("PATH", bin.c_str());
        for (std::size_t i = 0; i < wallpaper_test::kHostileNames.size(); ++i) {
            const std::string& name = wallpaper_test::kHostileNames[i];
            const int n = static_cast<int>(i);
            const QColor colour(20 * n + 10, 200 - 15 * n, tool[0] == 'f' ? 40 : 90);
            const std::string picture = folder + "/" + name;
            wallpaper_test::write_file(picture, test_support::encode_with_qt(
                                                    test_support::solid_image(16, 16, colour), "BMP"));
            EXPECT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Centered, run_program)) << tool << " " << name;
            EXPECT_EQ(centre_colour(), colour.name().toUpper().toStdString()) << tool << " " << name;
            ++shown;
        }
    }
    std::filesystem::current_path(old_cwd);
    x.kill();
    x.waitForFinished(5000);
    for (const auto& place : {cwd, folder, dir.string()})
        EXPECT_FALSE(std::filesystem::exists(place + "/X")) << "a command ran in " << place;
    if (shown == 0) GTEST_SKIP() << "neither feh nor hsetroot is installed";
}

}  // namespace
