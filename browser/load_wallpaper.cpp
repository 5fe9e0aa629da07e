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

void frmBMPView::Load_Wallpaper() {
    std::string path = platform::join_path(File1.path(), File1.file_name());

    // From here on a failing step is skipped and the next one runs. What is
    // handed to the desktop must be the chosen picture: when it cannot be
    // loaded or converted, nothing is handed over.
    bool ready = false;
    platform::skip_on_error([&] {
        Image1.load(path);
        ready = true;
    });
    platform::skip_on_error([&] { windows::frame_form().set_caption(File1.file_name()); });
    platform::skip_on_error([&] {
        // GIF and JPG pictures go to the desktop as a bitmap.
        const std::string ext = platform::lower_ascii(path.size() >= 4 ? path.substr(path.size() - 4) : path);
        if (ready && (ext == ".gif" || ext == ".jpg")) {
            const std::string preview = platform::services().preview_bmp_path;
            ready = false;
            platform::skip_on_error([&] {
                Image1.save_bmp(preview);
                ready = true;
            });
            path = preview;
        }
    });
    platform::skip_on_error([&] {
        if (ready && !path.empty())
            platform::SystemParametersInfoA(platform::SPI_SETDESKWALLPAPER, 0, path,
                                            platform::SPIF_UPDATEINIFILE_SENDCHANGE);
    });
}

void frmBMPView::Tile_Wallpaper() { wallpaper_style::write_tiled(); }

void frmBMPView::Center_Wallpaper() { wallpaper_style::write_centred(); }
