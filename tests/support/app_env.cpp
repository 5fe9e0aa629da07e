#include "support/app_env.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>

#include <unistd.h>

#include "app/frame/mdi_form.h"
#include "app/frame/startup.h"
#include "app/state/module1.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/runtime.h"
#include "platform/desktop/wallpaper_handoff.h"
#include "platform/files/start_folder.h"
#include "platform/store/registry.h"

namespace test_support {

AppTest::AppTest() : pictures(home.make_folder("pictures")) {
    prepare_glimmerbox();
    char buf[4096];
    old_cwd_ = ::getcwd(buf, sizeof buf) ? buf : "/";
}

void AppTest::TearDown() {
    // Nothing of this test may reach the desktop or the store of the next.
    platform::wait_for_wallpapers();
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
    RecordingTest::TearDown();
}

void AppTest::start_program(const std::string& folder) {
    install();
    if (::chdir(folder.c_str()) != 0) FAIL() << "cannot enter " << folder;
    platform::settle_start_folder();
    start_glimmerbox();
    // Let the windows take their maximised sizes, as the event loop would.
    QCoreApplication::processEvents();
}

frmBMPView& AppTest::start_browser() { return *windows::frame().start_browser(); }
MDIForm1& AppTest::frame() { return windows::frame(); }

Names AppTest::listed(const frmBMPView& browser) {
    Names names;
    for (int i = 0; i < browser.File1.list_count(); ++i) names.push_back(browser.File1.list(i));
    return names;
}

void AppTest::select_file(frmBMPView& browser, const std::string& name) {
    for (int i = 0; i < browser.File1.list_count(); ++i) {
        if (browser.File1.list(i) == name) {
            static_cast<QListWidget*>(browser.File1.widget())->setCurrentRow(i);
            return;
        }
    }
    ADD_FAILURE() << "no entry " << name;
}

void AppTest::double_click(frmBMPView& browser, const std::string& name) {
    select_file(browser, name);
    auto* list = static_cast<QListWidget*>(browser.File1.widget());
    if (list->currentItem()) emit list->itemDoubleClicked(list->currentItem());
}

void AppTest::choose(frmBMPView& browser, int entry) {
    auto* combo = static_cast<QComboBox*>(browser.Filter1.widget());
    combo->setCurrentIndex(entry);
    emit combo->activated(entry);
}

std::optional<std::string> AppTest::style_value(const std::string& name) {
    return platform::read_string_value("HKEY_CURRENT_USER\\Control Panel\\Desktop", name);
}

Names AppTest::wallpaper_paths() const {
    platform::wait_for_wallpapers();
    Names paths;
    for (const auto& w : recorded.wallpapers) paths.push_back(w.first);
    return paths;
}

int AppTest::beyond_w(int px) { return platform::screen_width_twips() / 15 + px; }
int AppTest::beyond_h(int px) { return platform::screen_height_twips() / 15 + px; }

}  // namespace test_support
