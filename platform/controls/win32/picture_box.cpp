// The picture control on Win32: a cell of its form, drawn from the picture's
// 32-bit top-down pixels at its own size or stretched into its box.
#include <windows.h>

#include "platform/controls/controls.h"
#include "platform/controls/win32/form_impl.h"
#include "platform/controls/win32/native.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "words/catalogue.h"

namespace platform {
namespace {

bool has_transparency(const PictureData& data) {
    for (std::uint32_t p : data.pixels) {
        if ((p >> 24) != 0xFF) return true;
    }
    return false;
}

// Premultiplied pixels laid over the window's background colour.
std::vector<std::uint32_t> lay_over_background(const PictureData& data) {
    const COLORREF bg = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t bg_channel[3] = {GetBValue(bg), GetGValue(bg), GetRValue(bg)};
    std::vector<std::uint32_t> out(data.pixels.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const std::uint32_t p = data.pixels[i];
        const std::uint32_t keep = 255 - (p >> 24);
        std::uint32_t q = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            const std::uint32_t src = (p >> (8 * c)) & 0xFF;
            const std::uint32_t v = src + (bg_channel[c] * keep + 127) / 255;
            q |= (v > 255 ? 255 : v) << (8 * c);
        }
        out[i] = q;
    }
    return out;
}

}  // namespace

void draw_picture(HDC dc, const RECT& box, const PictureBox& picture, CellState& state) {
    const auto& data = picture.picture().data();
    if (!data || data->width <= 0 || data->height <= 0) return;
    if (data->pixels.size() < static_cast<size_t>(data->width) * static_cast<size_t>(data->height)) return;
    if (state.laid_from != data) {
        state.laid_from = data;
        state.laid = has_transparency(*data) ? lay_over_background(*data) : std::vector<std::uint32_t>();
    }
    const std::uint32_t* bits = state.laid.empty() ? data->pixels.data() : state.laid.data();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = data->width;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (picture.stretch()) {
        info.bmiHeader.biHeight = -data->height;  // top-down rows
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchDIBits(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, 0, 0, data->width,
                      data->height, bits, &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    // At its own size only the part being painted is handed over: a large
    // picture scrolled in its window is mostly outside it.
    RECT own{box.left, box.top, box.left + data->width, box.top + data->height}, clip{}, part{};
    GetClipBox(dc, &clip);
    if (!IntersectRect(&part, &own, &clip)) return;
    const int first_row = part.top - own.top, rows = part.bottom - part.top;
    // The header describes just the rows painted, so the source's top row is
    // row 0 whichever way a system counts rows.
    info.bmiHeader.biHeight = -rows;
    StretchDIBits(dc, part.left, part.top, part.right - part.left, rows, part.left - own.left, 0,
                  part.right - part.left, rows, bits + static_cast<size_t>(first_row) * data->width, &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

PictureBox::PictureBox(Form& form, std::string name) : Control(form, nullptr, std::move(name)) {}

void PictureBox::load(const std::string& path) { set_picture(load_picture(path)); }

void PictureBox::set_picture(const Picture& picture) {
    picture_ = picture;
    FormAccess::redraw_cell(form_, *this);
    if (!stretch_) size_to_picture();
}

void PictureBox::size_to_picture() {
    if (picture_.empty()) return;
    move(left(), top(), picture_.width_px() * twips_per_pixel_x(), picture_.height_px() * twips_per_pixel_y());
}

void PictureBox::set_stretch(bool on) {
    if (on != stretch_) FormAccess::redraw_cell(form_, *this);
    stretch_ = on;
    if (!on) size_to_picture();
}

void PictureBox::save_bmp(const std::string& path) const {
    if (picture_.empty()) throw Error(err::kInvalidPicture, words::kNoPictureToSave);
    save_picture_bmp(picture_, path);
}

}  // namespace platform
