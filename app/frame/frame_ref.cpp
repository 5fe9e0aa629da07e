// The frame's reference (app/state/windows.h) and reset_all, which reaches
// every window.
#include "app/state/windows.h"

#include "app/frame/mdi_form.h"
#include "browser/frm_bmp_view.h"
#include "rename/frm_new_name.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

namespace windows {
namespace {

// The holders of the windows are never destroyed by exit handlers: Qt ends
// the process with exit() when the display goes away, and windows destroyed
// after that point crash. Shutdown and tests destroy the windows themselves.
std::unique_ptr<MDIForm1>& frame_ptr() {
    static auto* f = new std::unique_ptr<MDIForm1>();
    return *f;
}

}  // namespace

MDIForm1& frame() {
    auto& f = frame_ptr();
    if (!f) f = std::make_unique<MDIForm1>();
    return *f;
}

void reset_all() {
    new_name().reset();
    progress().reset();
    thumbnails().reset();
    reset_main_browser();
    frame_ptr().reset();
}

}  // namespace windows
