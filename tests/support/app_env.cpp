#include "support/app_env.h"

#include <QCoreApplication>
#include <QListWidget>

#include <unistd.h>

#include <fstream>

#include "app/frame/mdi_form.h"
#include "app/frame/startup.h"
#include "app/state/module1.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/files/start_folder.h"
#include "platform/desktop/real_services.h"

namespace test_support {

AppTest::AppTest() {
    wire_windows();
    pictures = home.make_folder("pictures");
    char buf[4096];
    old_cwd_ = ::getcwd(buf, sizeof buf) ? buf : "/";
    services.message_box = [this](const platform::MessageBoxRequest& r) {
        recorded.boxes.push_back(r);
        return platform::kAnswerOk;
    };
    services.desktop_wallpaper = [this](const std::string& path, platform::WallpaperStyle style) {
        recorded.wallpapers.emplace_back(path, style);
        return true;
    };
    services.run_command = [this](const std::vector<std::string>& argv, int) {
        recorded.commands.push_back(argv);
        return platform::CommandResult{};
    };
    services.settings_store_path = home.file(".config/glimmerbox/registry.reg");
    services.preview_bmp_path = home.file(".local/share/glimmerbox/preview.bmp");
    services.end_program = [this] { ++recorded.end_program_calls; };
    set_mounts({});
}

AppTest::~AppTest() {
    windows::reset_all();
    Module1::cur_dir.clear();
    Module1::cur_drive.clear();
    Module1::view_width = 0;
    Module1::view_height = 0;
    Module1::cancel_flag = 0;
    Module1::file_name.clear();
    Module1::old_name.clear();
    // Windows released during the test are destroyed by posted events.
    QCoreApplication::processEvents();
    [[maybe_unused]] int rc = ::chdir(old_cwd_.c_str());
    platform::install_services(platform::real_services());
}

void AppTest::set_mounts(const std::vector<std::string>& extra_mount_points) {
    const std::string table = home.file("mounts");
    std::ofstream out(table, std::ios::trunc);
    out << "proc /proc proc rw 0 0\n/dev/vda / ext4 rw,relatime 0 0\n";
    for (const auto& m : extra_mount_points) out << "/dev/sdz1 " << m << " vfat rw 0 0\n";
    out.close();
    services.mount_table_path = table;
    platform::install_services(services);
}

void AppTest::start_program(const std::string& folder) {
    platform::install_services(services);
    if (::chdir(folder.c_str()) != 0) FAIL() << "cannot enter " << folder;
    platform::settle_start_folder();
    windows::frame().MDIForm_Load();
    // Let the windows take their maximised sizes, as the event loop would.
    QCoreApplication::processEvents();
}

frmBMPView& AppTest::start_browser() { return *windows::frame().start_browser(); }
MDIForm1& AppTest::frame() { return windows::frame(); }

std::vector<std::string> AppTest::listed(const frmBMPView& browser) {
    std::vector<std::string> names;
    for (int i = 0; i < browser.File1.list_count(); ++i) names.push_back(browser.File1.list(i));
    return names;
}

void AppTest::select_file(frmBMPView& browser, const std::string& name) {
    for (int i = 0; i < browser.File1.list_count(); ++i) {
        if (browser.File1.list(i) == name) {
            // Through the widget, as a click of the user would.
            static_cast<QListWidget*>(browser.File1.widget())->setCurrentRow(i);
            return;
        }
    }
    ADD_FAILURE() << "no entry " << name;
}

}  // namespace test_support
