#include "app/state/windows.h"

#include "app/frame/mdi_form.h"
#include "browser/frm_bmp_view.h"
#include "rename/frm_new_name.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

namespace windows {
namespace {

std::unique_ptr<MDIForm1>& frame_ptr() {
    static std::unique_ptr<MDIForm1> f;
    return f;
}

}  // namespace

MDIForm1& frame() {
    auto& f = frame_ptr();
    if (!f) f = std::make_unique<MDIForm1>();
    return *f;
}

bool frame_loaded() { return frame_ptr() != nullptr; }

void reset_all() {
    new_name().reset();
    progress().reset();
    thumbnails().reset();
    reset_main_browser();
    frame_ptr().reset();
}

}  // namespace windows
