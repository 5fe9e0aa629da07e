// The Plasma shell is reached over the session bus: a stand-in shell on a
// private bus receives the script, answering from a thread of its own while
// the caller blocks.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <mutex>

#include "platform/desktop_wallpaper.h"
#include "wallpaper_fixture.h"

using wallpaper_test::ScopedEnv;

namespace {

class FakePlasmaShell : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public:
    QStringList scripts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return scripts_;
    }
public slots:
    QString evaluateScript(const QString& script) {
        std::lock_guard<std::mutex> lock(mutex_);
        scripts_ << script;
        return {};
    }

private:
    std::mutex mutex_;
    QStringList scripts_;
};

TEST(PlasmaOverDBus, TheShellReceivesTheScript) {
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForStarted(5000));
    QByteArray address;
    for (int i = 0; i < 100 && !address.contains('\n'); ++i) {
        bus.waitForReadyRead(50);
        address += bus.readAllStandardOutput();
    }
    ASSERT_TRUE(address.contains('\n')) << "dbus-daemon gave no address";
    address = address.left(address.indexOf('\n')).trimmed();
    // The program's own session bus connection is made on first use, from
    // this variable.
    ScopedEnv env("DBUS_SESSION_BUS_ADDRESS", address.constData());
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");

    // Stops the shell's thread and the bus however the test ends.
    struct Teardown {
        QThread& thread;
        QProcess& bus;
        ~Teardown() {
            QDBusConnection::disconnectFromBus("fake-plasma");
            thread.quit();
            thread.wait();
            bus.kill();
            bus.waitForFinished(5000);
        }
    };
    QThread shell_thread;
    FakePlasmaShell shell;
    Teardown teardown{shell_thread, bus};
    shell.moveToThread(&shell_thread);
    shell_thread.start();
    {
        QDBusConnection conn = QDBusConnection::connectToBus(QString::fromUtf8(address), "fake-plasma");
        ASSERT_TRUE(conn.isConnected());
        ASSERT_TRUE(conn.registerService("org.kde.plasmashell"));
        ASSERT_TRUE(conn.registerObject("/PlasmaShell", &shell, QDBusConnection::ExportAllSlots));

        const platform::CommandRunner no_programs = [](const std::vector<std::string>&, int) {
            return platform::CommandResult{};
        };
        EXPECT_TRUE(platform::apply_desktop_wallpaper("/p/it's #1.bmp", platform::WallpaperStyle::Tiled,
                                                      no_programs));
        const QStringList scripts = shell.scripts();
        ASSERT_EQ(scripts.size(), 1);
        EXPECT_TRUE(scripts[0].contains("d.writeConfig('Image', 'file:///p/it\\'s%20%231.bmp');"))
            << scripts[0].toStdString();
        EXPECT_TRUE(scripts[0].contains("d.writeConfig('FillMode', 3);"));

        // No shell on the bus: false, at once.
        conn.unregisterService("org.kde.plasmashell");
        EXPECT_FALSE(platform::apply_desktop_wallpaper("/p/x.bmp", platform::WallpaperStyle::Centered,
                                                       no_programs));
    }
}

}  // namespace

#include "plasma_bus_test.moc"
