// The wallpaper slideshow: one picture a second while the frame is minimised.
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/types.h"

using platform::skip_on_error;

void frmBMPView::Timer1_Timer() {
    platform::Form& frame = windows::frame_form();
    if (frame.window_state() != platform::kStateMinimized) {
        Timer1.set_interval(0);
        frame.set_caption("v1.7");
        return;
    }
    if (File1.list_count() <= 0) return;
    File1.set_list_index(file_index >= File1.list_count() ? 0 : file_index);

    std::string path;
    skip_on_error([&] { path = platform::join_path(File1.path(), File1.file_name()); });
    skip_on_error([&] { Image1.load(path); });
    skip_on_error([&] { Load_Wallpaper(); });
    ++file_index;
    if (file_index >= File1.list_count()) file_index = 0;
}
