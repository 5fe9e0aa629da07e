// The wallpaper slideshow: one picture a second while the frame is minimised.
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/types.h"
#include "platform/desktop/wallpaper_handoff.h"
#include "words/catalogue.h"

using platform::skip_on_error;

void frmBMPView::Timer1_Timer() {
    platform::Form& frame = windows::frame_form();
    if (frame.window_state() != platform::kStateMinimized) {
        Timer1.set_interval(0);
        frame.set_caption(words::say(words::kFrameCaption));
        return;
    }
    if (File1.list_count() <= 0) return;
    // A wallpaper asked for earlier, by this show or any window, is still on
    // its way (a slow or hung desktop tool): this tick is left out whole, so
    // that no backlog builds up and the show goes on where it stood.
    if (platform::wallpaper_handoff_busy()) return;
    File1.set_list_index(file_index >= File1.list_count() ? 0 : file_index);

    std::string path;
    skip_on_error([&] { path = platform::join_path(File1.path(), File1.file_name()); });
    // The selection's picture, decoded ahead or just shown: nothing is
    // decoded twice while the file stays the same.
    skip_on_error([&] { Image1.set_picture(neighbour_pictures.take(path)); });
    skip_on_error([&] { Load_Wallpaper(); });
    const int shown = File1.list_index();
    ++file_index;
    if (file_index >= File1.list_count()) file_index = 0;
    // The next picture of the show, wrapping to the first, decodes while this
    // one goes to the desktop.
    skip_on_error([&] {
        if (file_index == shown) return;
        neighbour_pictures.decode_ahead({platform::join_path(File1.path(), File1.list(file_index))});
    });
}
