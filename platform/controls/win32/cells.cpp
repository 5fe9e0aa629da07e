// Pictures and labels as cells of their form: no window each (a thumbnail
// grid makes two a picture, and a process may have only 10,000 windows). The
// form draws them in its WM_PAINT, in their order front to back, and finds
// the one under the mouse.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/win32/form_impl.h"
#include "platform/controls/win32/native.h"
#include "platform/core/runtime.h"

namespace platform {
namespace {

// Fonts are shared by every label that asks for the same one, and kept, with
// the height of their lines in pixels.
struct SharedFont {
    HFONT font = nullptr;
    int height_px = 0;
};

const SharedFont& font_for(const std::string& family, double points, bool bold) {
    static auto* fonts = new std::map<std::tuple<std::string, int, bool>, SharedFont>;
    const int half_points = static_cast<int>(points * 2 + 0.5);
    auto key = std::make_tuple(family, half_points, bold);
    auto it = fonts->find(key);
    if (it != fonts->end()) return it->second;
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(half_points, GetDeviceCaps(screen, LOGPIXELSY), 144);
    SharedFont shared;
    shared.font = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                              family.c_str());
    HGDIOBJ old = SelectObject(screen, shared.font);
    TEXTMETRICA tm{};
    GetTextMetricsA(screen, &tm);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    shared.height_px = tm.tmHeight;
    return (*fonts)[key] = shared;
}

HFONT dialog_font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// The family and size of the dialog font, for a label that has no font of its own yet.
void take_dialog_font(CellState& s) {
    LOGFONTA lf{};
    GetObjectA(dialog_font(), sizeof lf, &lf);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    s.family = lf.lfFaceName;
    s.points = std::abs(lf.lfHeight) * 72.0 / (dpi > 0 ? dpi : 96);
    s.bold = lf.lfWeight >= FW_BOLD;
}

void draw_label(HDC dc, RECT box, const Label& label, const CellState& state) {
    HGDIOBJ old = SelectObject(dc, state.font ? state.font : dialog_font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    // Shown as written: an '&' in a file name is no access key.
    DrawTextA(dc, label.caption().c_str(), -1, &box, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT | DT_TOP);
    SelectObject(dc, old);
}

// The topmost visible cell at a point of the client area.
const Control* cell_at(const std::unordered_map<const Control*, CellState>& cells, POINT pt) {
    const Control* best = nullptr;
    long long best_z = 0;
    for (const auto& [cell, state] : cells) {
        if (!cell->visible()) continue;
        const RECT box = win32::pixel_box(*cell);
        if (!PtInRect(&box, pt)) continue;
        if (!best || state.z > best_z) {
            best = cell;
            best_z = state.z;
        }
    }
    return best;
}

}  // namespace

void FormAccess::add_cell(Form& form, Control& cell) {
    Form::Impl& impl = FormAccess::impl(form);
    impl.cells[&cell].z = ++impl.front_z;
    redraw_cell(form, cell);
}

void FormAccess::remove_cell(Form& form, const Control& cell) {
    Form::Impl& impl = FormAccess::impl(form);
    if (impl.cells.erase(&cell) == 0) return;
    if (impl.pressed == &cell) impl.pressed = nullptr;
    if (impl.hover == &cell) impl.hover = nullptr;
    redraw_cell(form, cell);
}

void FormAccess::redraw_cell(const Form& form, const Control& cell) {
    // Hidden cells are most of a thumbnail grid's: they cost nothing.
    if (!cell.visible()) return;
    const RECT box = win32::pixel_box(cell);
    if (box.right > box.left && box.bottom > box.top) InvalidateRect(client(form), &box, TRUE);
}

void FormAccess::raise_cell(Form& form, const Control& cell, bool to_front) {
    Form::Impl& impl = FormAccess::impl(form);
    auto it = impl.cells.find(&cell);
    if (it == impl.cells.end()) return;
    it->second.z = to_front ? ++impl.front_z : --impl.back_z;
    redraw_cell(form, cell);
}

void FormAccess::set_cell_font(Form& form, const Control& cell, const std::string& family, double points,
                               bool bold) {
    CellState& s = FormAccess::impl(form).cells[&cell];
    s.family = family;
    s.points = points;
    s.bold = bold;
    s.font = font_for(family, points, bold).font;
    redraw_cell(form, cell);
}

void FormAccess::fit_cell_font(Form& form, const Control& cell, int height_px) {
    CellState& s = FormAccess::impl(form).cells[&cell];
    if (!s.font) take_dialog_font(s);
    while (s.points > 1 && font_for(s.family, s.points, s.bold).height_px > height_px) s.points -= 0.5;
    s.font = font_for(s.family, s.points, s.bold).font;
    redraw_cell(form, cell);
}

void FormAccess::paint_cells(Form& form, HDC dc, const RECT& dirty) {
    Form::Impl& impl = FormAccess::impl(form);
    std::vector<std::pair<long long, const Control*>> shown;
    for (const auto& [cell, state] : impl.cells) {
        if (!cell->visible()) continue;
        const RECT box = win32::pixel_box(*cell);
        RECT overlap;
        if (IntersectRect(&overlap, &box, &dirty)) shown.emplace_back(state.z, cell);
    }
    std::sort(shown.begin(), shown.end());
    for (const auto& [z, cell] : shown) {
        CellState& state = impl.cells[cell];
        const RECT box = win32::pixel_box(*cell);
        if (const auto* picture = dynamic_cast<const PictureBox*>(cell)) {
            draw_picture(dc, box, *picture, state);
        } else if (const auto* label = dynamic_cast<const Label*>(cell)) {
            draw_label(dc, box, *label, state);
        }
    }
}

bool FormAccess::cell_mouse(Form& form, UINT message, LPARAM lp) {
    Form::Impl& impl = FormAccess::impl(form);
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    const Control* hit = cell_at(impl.cells, pt);
    switch (message) {
        case WM_MOUSEMOVE:
            if (hit != impl.hover) {
                impl.hover = hit;
                if (impl.tooltip) SendMessageA(impl.tooltip, TTM_POP, 0, 0);
            }
            return false;
        case WM_LBUTTONDOWN:
            impl.pressed = dynamic_cast<const PictureBox*>(hit) ? hit : nullptr;
            SetCapture(impl.client);
            return true;
        case WM_LBUTTONUP: {
            ReleaseCapture();
            const Control* pressed = impl.pressed;
            impl.pressed = nullptr;
            if (pressed && hit == pressed) {
                // A copy: the handler may remove the cell.
                auto click = static_cast<const PictureBox*>(pressed)->on_click;
                if (click) guarded(click);
            } else if (!pressed && !hit && form.on_click) {
                guarded(form.on_click);
            }
            return true;
        }
        default:
            return false;
    }
}

bool FormAccess::cell_tip(Form& form, LPARAM lp) {
    Form::Impl& impl = FormAccess::impl(form);
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (!header || header->hwndFrom != impl.tooltip || header->code != TTN_GETDISPINFOA) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lp);
    impl.tip_text = impl.hover ? impl.hover->tooltip() : std::string();
    info->lpszText = impl.tip_text.data();
    return true;
}

}  // namespace platform
