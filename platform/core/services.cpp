#include "platform/core/services.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdlib>
#include <unistd.h>

#include "platform/desktop/desktop_wallpaper.h"

namespace platform {
namespace {

std::string env_or(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

std::string home_folder() { return env_or("HOME", "/"); }

int show_message_box(const MessageBoxRequest& r) {
    QMessageBox box;
    box.setText(QString::fromUtf8(r.text.c_str()));
    box.setWindowTitle(QString::fromUtf8(r.title.empty() ? "Glimmerbox" : r.title.c_str()));
    switch (r.icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (r.buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel: return kAnswerCancel;
        case QMessageBox::Yes: return kAnswerYes;
        case QMessageBox::No: return kAnswerNo;
        default: return kAnswerOk;
    }
}

Services& current() {
    static Services s = real_services();
    return s;
}

}  // namespace

Services real_services() {
    Services s;
    const std::string config = env_or("XDG_CONFIG_HOME", home_folder() + "/.config");
    const std::string data = env_or("XDG_DATA_HOME", home_folder() + "/.local/share");
    s.settings_store_path = config + "/glimmerbox/registry.reg";
    s.preview_bmp_path = data + "/glimmerbox/preview.bmp";
    s.mount_table_path = "/proc/self/mounts";
    s.message_box = show_message_box;
    s.run_command = run_program;
    s.desktop_wallpaper = [](const std::string& path, WallpaperStyle style) {
        return apply_desktop_wallpaper(path, style, current().run_command);
    };
    // Nothing is saved and no unload step runs: leave at once.
    s.end_program = [] { ::_exit(0); };
    return s;
}

const Services& services() { return current(); }

void install_services(Services s) { current() = std::move(s); }

}  // namespace platform
