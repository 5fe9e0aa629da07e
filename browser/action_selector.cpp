// The action selector under the lists.
#include <string>

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/error.h"
#include "platform/core/types.h"
#include "platform/pictures/picture_kinds.h"
#include "thumbnails/frm_thumbnails.h"

using platform::skip_on_error;

void frmBMPView::Filter1_Click() {
    // Whatever was chosen, a running slideshow stops.
    Timer1.set_interval(0);
    switch (Filter1.list_index()) {
        case 0:
            // Every folder or drive change, and the return from a rename,
            // come through here: pictures decoded ahead for the old list go.
            neighbour_pictures.clear();
            // The folder is read again even when the pattern stays: files
            // come and go.
            if (File1.pattern() == platform::kPicturePattern) {
                File1.refresh();
            } else {
                File1.set_pattern(std::string(platform::kPicturePattern));
            }
            break;
        case 1:
            Center_Wallpaper();
            windows::frame_form().set_window_state(platform::kStateMinimized);
            Timer1.set_interval(1000);
            break;
        case 2:
            Center_Wallpaper();
            Load_Wallpaper();
            break;
        case 3:
            Tile_Wallpaper();
            Load_Wallpaper();
            break;
        case 4:
            show_thumbnail_view();
            break;
        default:
            break;
    }
}

// "Thumbnail View": every failing step is skipped.
void frmBMPView::show_thumbnail_view() {
    if (thumbnail_view_answer() == thumbs::Answer::AfterLoading) {
        // Asked again from inside the loading loop's event pump: that window
        // goes, and the handler that is creating it serves this request
        // once the loop has returned.
        defer_thumbnail_view([this] { show_thumbnail_view(); });
        skip_on_error([&] { unload_thumbnails(); });
        return;
    }
    skip_on_error([&] { unload_thumbnails(); });
    skip_on_error([&] { Module1::cur_dir = Dir1.path(); });
    skip_on_error([&] { Module1::cur_drive = Drive1.drive(); });
    skip_on_error([&] { Module1::view_width = static_cast<std::int32_t>(platform::round_half_even(form_.width())); });
    skip_on_error([&] { Module1::view_height = static_cast<float>(form_.height()); });
    skip_on_error([&] { windows::thumbnails()(); });
    // Closed during its own load step: it is not shown, and a request that
    // came in meanwhile is served now.
    if (let_go_if_closed_while_opening()) return;
    if (Module1::cancel_flag == platform::kTrue) return;
    skip_on_error([&] { windows::thumbnails()().form().show(); });
}
