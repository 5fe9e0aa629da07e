#include "app/state/windows.h"

#include "app/frame/mdi_form.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/types.h"
#include "rename/frm_new_name.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

namespace windows {
namespace {

std::unique_ptr<MDIForm1>& frame_ptr() {
    static std::unique_ptr<MDIForm1> f;
    return f;
}

std::unique_ptr<frmBMPView>& main_browser_ptr() {
    static std::unique_ptr<frmBMPView> b;
    return b;
}

}  // namespace

MDIForm1& frame() {
    auto& f = frame_ptr();
    if (!f) f = std::make_unique<MDIForm1>();
    return *f;
}

bool frame_loaded() { return frame_ptr() != nullptr; }

frmBMPView& main_browser() {
    auto& b = main_browser_ptr();
    if (!b) {
        b = std::make_unique<frmBMPView>(frame().form());
        b->form().set_window_state(platform::kStateMaximized);
        b->form().show();
    }
    return *b;
}

bool main_browser_loaded() { return main_browser_ptr() != nullptr; }

WindowRef<frmThumbnails>& thumbnails() {
    static WindowRef<frmThumbnails> ref([] { return std::make_unique<frmThumbnails>(); });
    return ref;
}

WindowRef<frmProgress>& progress() {
    static WindowRef<frmProgress> ref([] { return std::make_unique<frmProgress>(); });
    return ref;
}

WindowRef<frmNewName>& new_name() {
    static WindowRef<frmNewName> ref([] { return std::make_unique<frmNewName>(); });
    return ref;
}

void reset_all() {
    new_name().reset();
    progress().reset();
    thumbnails().reset();
    main_browser_ptr().reset();
    frame_ptr().reset();
}

}  // namespace windows
