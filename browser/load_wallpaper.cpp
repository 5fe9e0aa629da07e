#include <string>
#include <utility>

#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/controls/controls.h"
#include "platform/desktop/wallpaper_handoff.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/pictures/picture_kinds.h"
#include "registry/wallpaper_style.h"

void frmBMPView::Load_Wallpaper() {
    std::string path = platform::join_path(File1.path(), File1.file_name());

    // From here on a failing step is skipped and the next one runs. What is
    // handed to the desktop must be the chosen picture: when it cannot be
    // loaded or converted, nothing is handed over.
    bool loaded = false;
    platform::skip_on_error([&] {
        Image1.set_picture(neighbour_pictures.take(path));
        loaded = true;
    });
    platform::skip_on_error([&] { windows::frame_form().set_caption(File1.file_name()); });
    if (!loaded) return;
    platform::Picture to_convert = platform::becomes_bitmap(path) ? Image1.picture() : platform::Picture();
    // The conversion and the desktop call wait their turn behind those any
    // window asked for before; this thread goes on at once.
    platform::queue_wallpaper(std::move(to_convert), std::move(path));
}

void frmBMPView::Tile_Wallpaper() { wallpaper_style::write_tiled(); }

void frmBMPView::Center_Wallpaper() { wallpaper_style::write_centred(); }
