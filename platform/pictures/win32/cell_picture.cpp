// Cell pictures on Windows: reduced copies made by WIC's scaler, the size
// from the screen's logical DPI. There is no shared thumbnail cache here.
#include "platform/pictures/cell_picture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "platform/pictures/win32/picture_decode.h"

namespace platform {
namespace {

// The screen's logical pixels an inch along one axis (LOGPIXELSX or Y);
// 96 when the screen cannot be asked.
int screen_dpi(int axis) {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, axis) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int twips_to_px(double twips, int axis) {
    return std::max(1, static_cast<int>(std::nearbyint(twips * screen_dpi(axis) / 1440.0)));
}

}  // namespace

int twips_to_device_px_x(double twips) { return twips_to_px(twips, LOGPIXELSX); }
int twips_to_device_px_y(double twips) { return twips_to_px(twips, LOGPIXELSY); }

// What a cell shows: the box, or less along an axis where the picture has
// fewer pixels; each axis on its own, as the cell draws it stretched.
Picture load_cell_picture(const std::string& path, int box_width_px, int box_height_px) {
    win32::PictureFile file(path);
    const int w = std::clamp(file.upright_width(), 1, std::max(1, box_width_px));
    const int h = std::clamp(file.upright_height(), 1, std::max(1, box_height_px));
    return Picture(win32::decode_upright(file, w, h));
}

}  // namespace platform
