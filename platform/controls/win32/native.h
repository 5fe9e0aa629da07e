#pragma once
// What the Win32 controls share: the form's private parts, the windows of
// the controls, and the notifications a form passes on to the control they
// are about.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/controls/form.h"

namespace platform {

// The form's side of its controls. Pictures and labels have no window of
// their own: the form keeps them as cells, draws them and hit-tests them.
struct FormAccess {
    static Form::Impl& impl(const Form& form);
    static HWND client(const Form& form);
    static bool is_child(const Form& form);  // an MDI child window
    // Enter (the default button) or Esc (the cancel button).
    static void press_role(Form& form, bool default_role);
    // Creates a control's window in the form's client area, visible.
    static HWND create_child(Form& form, const char* window_class, DWORD style, DWORD ex_style = 0);
    static void add_cell(Form& form, Control& cell);
    static void remove_cell(Form& form, const Control& cell);
    // Redraws the part of the client area the cell covers now, if it is shown.
    static void redraw_cell(const Form& form, const Control& cell);
    static void raise_cell(Form& form, const Control& cell, bool to_front);
    // A label's font; size in points.
    static void set_cell_font(Form& form, const Control& cell, const std::string& family, double points,
                              bool bold);
    static void fit_cell_font(Form& form, const Control& cell, int height_px);
    // The tooltip of a control with a window, or of a cell.
    static void set_tooltip(Form& form, Control& control, const std::string& text);
    // The form's cells: painting, and the mouse over them (false: not a
    // message about cells).
    static void paint_cells(Form& form, HDC dc, const RECT& dirty);
    static bool cell_mouse(Form& form, UINT message, LPARAM lp);
    static bool cell_tip(Form& form, LPARAM lp);  // WM_NOTIFY from the tooltip
};

namespace win32 {

// The notifications a control sends its parent (WM_COMMAND, WM_HSCROLL,
// WM_VSCROLL), handed to the control that sent them.
using Notification = std::function<void(UINT message, WPARAM wp, LPARAM lp)>;
void on_notification(HWND control, Notification handler);
void forget_notifications(HWND control);
bool notify(HWND control, UINT message, WPARAM wp, LPARAM lp);

// The control's box in client pixels.
RECT pixel_box(const Control& control);

// The classic shift state: 1 Shift, 2 Ctrl, 4 Alt.
int shift_state();

// Whether this key message repeats a held key.
inline bool is_repeat(LPARAM lp) { return (lp & (1L << 30)) != 0; }

}  // namespace win32
}  // namespace platform
