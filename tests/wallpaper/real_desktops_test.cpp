// The wallpaper on real tools where they are installed: feh on a private X
// server, read back from the root window's pixels, and gsettings on a private
// session bus, read back with gsettings itself. Private HOME and XDG folders.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
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

namespace {

bool have(const char* program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

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
    void SetUp() override {
        for (const char* sub : {"home/.config", "runtime"}) std::filesystem::create_directories(dir / sub);
        std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
        // 20 x 20: red, green / blue, white quarters.
        QImage image(20, 20, QImage::Format_RGB32);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                image.setPixel(x, y, y < 10 ? (x < 10 ? kRed : kGreen) : (x < 10 ? kBlue : kWhite));
        ASSERT_TRUE(image.save(QString::fromStdString(picture), "BMP"));
    }
    void TearDown() override {
        for (QProcess* p : {&server, &bus}) {
            p->kill();
            p->waitForFinished(5000);
        }
        if (reaping) {  // the settings daemon the bus started ends with it
            eventually([] { return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; });
            ::prctl(PR_SET_CHILD_SUBREAPER, 0);
        }
    }
    // Starts a program that prints one line (a display number, a bus
    // address) and keeps running; the line, or "" when it failed.
    std::string start_and_read_line(QProcess& p, const QString& program, const QStringList& args) {
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

    static constexpr QRgb kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff, kWhite = 0xffffffff;
    const std::string home = (dir / "home").string(), runtime = (dir / "runtime").string();
    const std::string config = home + "/.config", picture = (dir / "sun #1 100% it's.bmp").string();
    const std::string data = home + "/.local/share", cache = home + "/.cache";
    ScopedEnv h{"HOME", home.c_str()}, c{"XDG_CONFIG_HOME", config.c_str()}, d{"XDG_DATA_HOME", data.c_str()},
        k{"XDG_CACHE_HOME", cache.c_str()}, r{"XDG_RUNTIME_DIR", runtime.c_str()}, s{"SWAYSOCK", nullptr};
    bool reaping = false;
    QProcess server, bus;
};

TEST_F(RealDesktop, FehOnAPrivateXServerCentredAndTiled) {
    if (!have("Xvfb") || !have("feh") || !have("import"))
        GTEST_SKIP() << "Xvfb, feh or ImageMagick's import is not installed";
    const std::string number = start_and_read_line(
        server, "Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    ScopedEnv display("DISPLAY", (":" + number).c_str()), desktop("XDG_CURRENT_DESKTOP", nullptr);
    // True when the root window shows every (x, y, colour) given.
    const auto shows = [](std::initializer_list<std::tuple<int, int, QRgb>> points) {
        const CommandResult r = run_program({"import", "-window", "root", "ppm:-"}, 5000);
        const QImage shot = QImage::fromData(reinterpret_cast<const uchar*>(r.output.data()),
                                             static_cast<int>(r.output.size()), "PPM");
        if (shot.isNull()) return false;
        for (const auto& [x, y, colour] : points)
            if (shot.pixel(x, y) != colour) return false;
        return true;
    };
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Centered, run_program));
    // Centred on 320 x 240: the picture's corner is at (150, 110).
    EXPECT_TRUE(eventually([&] {
        return shows({{152, 112, kRed}, {167, 112, kGreen}, {152, 127, kBlue}}) && !shows({{2, 2, kRed}});
    })) << "the centred picture is not on the root window";
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Tiled, run_program));
    EXPECT_TRUE(eventually([&] {
        return shows({{2, 2, kRed}, {12, 2, kGreen}, {22, 2, kRed}, {2, 32, kBlue}, {319, 239, kWhite}});
    })) << "the tiled picture is not on the root window";
}

TEST_F(RealDesktop, GsettingsOnAPrivateSessionBus) {
    if (!have("gsettings") || !have("dbus-daemon"))
        GTEST_SKIP() << "gsettings or dbus-daemon is not installed";
    if (!std::filesystem::exists("/usr/share/glib-2.0/schemas/org.gnome.desktop.background.gschema.xml"))
        GTEST_SKIP() << "the GNOME desktop schemas are not installed";
    ScopedEnv backend("GSETTINGS_BACKEND", nullptr), desktop("XDG_CURRENT_DESKTOP", "GNOME");
    // What the bus starts (the settings daemon) is collected here.
    reaping = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
    const std::string address =
        start_and_read_line(bus, "dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_FALSE(address.empty()) << "dbus-daemon did not start";
    ScopedEnv a("DBUS_SESSION_BUS_ADDRESS", address.c_str());
    const auto get = [](const std::string& key) {
        return run_program({"gsettings", "get", "org.gnome.desktop.background", key}, 5000).output;
    };
    const std::string uri = "\"file://" + dir.string() + "/sun%20%231%20100%25%20it's.bmp\"\n";
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Tiled, run_program));
    EXPECT_EQ(get("picture-uri"), uri);
    EXPECT_EQ(get("picture-uri-dark"), uri);
    EXPECT_EQ(get("picture-options"), "'wallpaper'\n");
    ASSERT_TRUE(apply_desktop_wallpaper(picture, WallpaperStyle::Centered, run_program));
    EXPECT_EQ(get("picture-options"), "'centered'\n");
    EXPECT_TRUE(std::filesystem::exists(config + "/dconf/user")) << "written to the private database";
}

}  // namespace
