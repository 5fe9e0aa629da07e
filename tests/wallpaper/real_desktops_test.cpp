// The wallpaper on real tools where they are installed: feh on a private X
// server, read back from the root window's pixels, and gsettings on a private
// session bus, read back with gsettings itself. Private HOME and XDG folders.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/desktop_wallpaper.h"
#include "wallpaper_fixture.h"

using namespace platform;
using wallpaper_test::ScopedEnv;
using wallpaper_test::WallpaperTest;

namespace {

bool have(const char* program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

// Polls until the check holds or five seconds have passed.
template <class Check>
bool eventually(Check check) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (check()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return check();
}

// A 20 x 20 picture: red, green / blue, white quarters.
QImage quarters() {
    QImage image(20, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixel(x, y, y < 10 ? (x < 10 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                        : (x < 10 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
    return image;
}

class RealDesktop : public WallpaperTest {
protected:
    void SetUp() override {
        WallpaperTest::SetUp();
        home = (dir / "home").string();
        for (const char* sub : {"home/.config", "home/.local/share", "home/.cache", "runtime"})
            std::filesystem::create_directories(dir / sub);
        std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
        picture = (dir / "sun #1 100% it's.bmp").string();
        ASSERT_TRUE(quarters().save(QString::fromStdString(picture), "BMP"));
    }
    void TearDown() override {
        for (QProcess* p : {&server, &bus}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
        if (reaping) {
            // Services the bus started end with it; collect them.
            eventually([] { return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; });
            ::prctl(PR_SET_CHILD_SUBREAPER, 0);
        }
        WallpaperTest::TearDown();
    }
    // The environment a desktop session would give its programs, private.
    QProcessEnvironment private_environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(home));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(home + "/.config"));
        env.insert("XDG_DATA_HOME", QString::fromStdString(home + "/.local/share"));
        env.insert("XDG_CACHE_HOME", QString::fromStdString(home + "/.cache"));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((dir / "runtime").string()));
        return env;
    }
    // Starts a program that prints one line (a display number, a bus
    // address) and keeps running; the line, or "" when it failed.
    std::string start_and_read_line(QProcess& p, const QString& program, const QStringList& args) {
        p.setProcessEnvironment(private_environment());
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(program, args);
        if (!p.waitForStarted(5000)) return "";
        QByteArray line;
        const bool got = eventually([&] {
            p.waitForReadyRead(50);
            line += p.readAllStandardOutput();
            return line.contains('\n');
        });
        return got ? line.left(line.indexOf('\n')).trimmed().toStdString() : "";
    }

    // Makes this process the parent of what the bus starts (the settings
    // daemon), so that it is collected here and not left behind.
    void reap_orphans() { reaping = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0; }

    bool reaping = false;
    std::string home;
    std::string picture;
    QProcess server;
    QProcess bus;
};

QImage root_window() {
    const CommandResult r = run_program({"import", "-window", "root", "ppm:-"}, 5000);
    if (!r.started || r.exit_code != 0) return {};
    return QImage::fromData(reinterpret_cast<const uchar*>(r.output.data()),
                            static_cast<int>(r.output.size()), "PPM");
}

TEST_F(RealDesktop, FehOnAPrivateXServerCentredAndTiled) {
    if (!have("Xvfb") || !have("feh") || !have("import"))
        GTEST_SKIP() << "Xvfb, feh or ImageMagick's import is not installed";
    const std::string number = start_and_read_line(
        server, "Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    const std::string display = ":" + number;
    ScopedEnv d("DISPLAY", display.c_str());
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", nullptr);
    ScopedEnv sway("SWAYSOCK", nullptr);
    ScopedEnv h("HOME", home.c_str());

    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Centered, run_program));
    // Centred on 320 x 240: the picture's corner is at (150, 110).
    QImage shot;
    EXPECT_TRUE(eventually([&] {
        shot = root_window();
        return !shot.isNull() && QColor(shot.pixel(152, 112)) == QColor(255, 0, 0) &&
               QColor(shot.pixel(167, 112)) == QColor(0, 255, 0) &&
               QColor(shot.pixel(152, 127)) == QColor(0, 0, 255) &&
               QColor(shot.pixel(2, 2)) != QColor(255, 0, 0);
    })) << "the centred picture is not on the root window";

    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Tiled, run_program));
    EXPECT_TRUE(eventually([&] {
        shot = root_window();
        return !shot.isNull() && QColor(shot.pixel(2, 2)) == QColor(255, 0, 0) &&
               QColor(shot.pixel(12, 2)) == QColor(0, 255, 0) &&
               QColor(shot.pixel(22, 2)) == QColor(255, 0, 0) &&
               QColor(shot.pixel(2, 32)) == QColor(0, 0, 255) &&
               QColor(shot.pixel(319, 239)) == QColor(255, 255, 255);
    })) << "the tiled picture is not on the root window";
}

TEST_F(RealDesktop, GsettingsOnAPrivateSessionBus) {
    if (!have("gsettings") || !have("dbus-daemon"))
        GTEST_SKIP() << "gsettings or dbus-daemon is not installed";
    if (!std::filesystem::exists("/usr/share/glib-2.0/schemas/org.gnome.desktop.background.gschema.xml"))
        GTEST_SKIP() << "the GNOME desktop schemas are not installed";
    reap_orphans();
    const std::string address = start_and_read_line(
        bus, "dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_FALSE(address.empty()) << "dbus-daemon did not start";
    ScopedEnv a("DBUS_SESSION_BUS_ADDRESS", address.c_str());
    ScopedEnv h("HOME", home.c_str());
    const std::string config = home + "/.config";
    const std::string runtime = (dir / "runtime").string();
    ScopedEnv c("XDG_CONFIG_HOME", config.c_str());
    ScopedEnv r("XDG_RUNTIME_DIR", runtime.c_str());
    ScopedEnv backend("GSETTINGS_BACKEND", nullptr);
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "GNOME");

    const auto get = [](const std::string& key) {
        return run_program({"gsettings", "get", "org.gnome.desktop.background", key}, 5000).output;
    };
    const std::string uri = "file://" + dir.string() + "/sun%20%231%20100%25%20it's.bmp";
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Tiled, run_program));
    EXPECT_EQ(get("picture-uri"), "\"" + uri + "\"\n");
    EXPECT_EQ(get("picture-uri-dark"), "\"" + uri + "\"\n");
    EXPECT_EQ(get("picture-options"), "'wallpaper'\n");
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Centered, run_program));
    EXPECT_EQ(get("picture-options"), "'centered'\n");
    // Written to the private settings database, not anybody's real one.
    EXPECT_TRUE(std::filesystem::exists(config + "/dconf/user"));
}

TEST_F(RealDesktop, GsettingsWithoutABusIsAFailure) {
    if (!have("gsettings")) GTEST_SKIP() << "gsettings is not installed";
    ScopedEnv a("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir / "no-bus").string()).c_str());
    ScopedEnv h("HOME", home.c_str());
    ScopedEnv c("XDG_CONFIG_HOME", (home + "/.config").c_str());
    ScopedEnv r("XDG_RUNTIME_DIR", (dir / "runtime").string().c_str());
    ScopedEnv backend("GSETTINGS_BACKEND", nullptr);
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "GNOME");
    EXPECT_FALSE(apply_desktop_wallpaper(picture, WallpaperStyle::Centered, run_program));
}

}  // namespace
