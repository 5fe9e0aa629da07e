// The main_browser reference (app/state/windows.h), kept with its window.
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/types.h"

namespace windows {
namespace {

std::unique_ptr<frmBMPView>& main_browser_ptr() {
    static auto* b = new std::unique_ptr<frmBMPView>();  // outlives exit(), as the frame's
    return *b;
}

}  // namespace

frmBMPView& main_browser() {
    auto& b = main_browser_ptr();
    if (!b) {
        b = std::make_unique<frmBMPView>(frame_form());
        b->form().set_window_state(platform::kStateMaximized);
        b->form().show();
    }
    return *b;
}

bool main_browser_loaded() { return main_browser_ptr() != nullptr; }

void reset_main_browser() { main_browser_ptr().reset(); }

}  // namespace windows
