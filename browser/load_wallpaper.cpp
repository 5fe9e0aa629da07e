#include <string>

#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/controls/controls.h"
#include "platform/core/ascii.h"
#include "platform/desktop/desktop_wallpaper.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/services.h"
#include "wallpaper/wallpaper_style.h"

namespace {

// Converts the picture to the preview bitmap when there is one to convert,
// then hands the result to the desktop. A bitmap that cannot be written is
// no wallpaper: nothing is handed over.
void hand_over(const platform::Picture& to_convert, std::string path) {
    if (!to_convert.empty()) {
        const std::string preview = platform::services().preview_bmp_path;
        bool written = false;
        platform::skip_on_error([&] {
            platform::save_picture_bmp(to_convert, preview);
            written = true;
        });
        if (!written) return;
        path = preview;
    }
    platform::skip_on_error([&] {
        if (!path.empty())
            platform::SystemParametersInfoA(platform::SPI_SETDESKWALLPAPER, 0, path,
                                            platform::SPIF_UPDATEINIFILE_SENDCHANGE);
    });
}

}  // namespace

void frmBMPView::Load_Wallpaper() {
    start_wallpaper();
    finish_wallpaper();
}

void frmBMPView::start_wallpaper() {
    finish_wallpaper();
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
    // GIF and JPG pictures go to the desktop as a bitmap.
    const std::string ext = platform::lower_ascii(path.size() >= 4 ? path.substr(path.size() - 4) : path);
    const platform::Picture to_convert = (ext == ".gif" || ext == ".jpg") ? Image1.picture() : platform::Picture();
    // Encoding, writing with its fsync and the desktop's own tools take far
    // longer than the rest: they run on a thread of their own so that the
    // window keeps answering (a restore during a slideshow tick).
    wallpaper_handover_ = std::async(std::launch::async, hand_over, to_convert, std::move(path));
}

void frmBMPView::finish_wallpaper() {
    if (wallpaper_handover_.valid()) wallpaper_handover_.get();
}

void frmBMPView::Tile_Wallpaper() { wallpaper_style::write_tiled(); }

void frmBMPView::Center_Wallpaper() { wallpaper_style::write_centred(); }
