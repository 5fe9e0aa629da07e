#pragma once
// The benchmarks that drive the browser start it as the program does, in the
// folder given, with its first entry shown.
#include <QCoreApplication>

#include <unistd.h>

#include <string>

#include "app/frame/mdi_form.h"
#include "app/frame/startup.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/files/start_folder.h"

namespace bench {

// The start browser in the folder, showing its first entry; null when the
// folder cannot be entered.
inline frmBMPView* start_browser_in(const std::string& folder) {
    if (::chdir(folder.c_str()) != 0) return nullptr;
    platform::settle_start_folder();
    prepare_glimmerbox();
    windows::frame().MDIForm_Load();
    QCoreApplication::processEvents();
    frmBMPView* b = windows::frame().start_browser();
    b->File1.set_list_index(0);
    return b;
}

}  // namespace bench
