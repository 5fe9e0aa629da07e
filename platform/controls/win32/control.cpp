// The control base on Win32, and the simple controls: label (a cell the form
// draws), text box, command button, timer.
#include <windows.h>

#include <unordered_map>

#include "platform/controls/controls.h"
#include "platform/controls/form.h"
#include "platform/controls/win32/native.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "words/catalogue.h"

namespace platform {

namespace win32 {
namespace {
std::unordered_map<HWND, Notification>& notifications() {
    static auto* map = new std::unordered_map<HWND, Notification>;
    return *map;
}
}  // namespace

void on_notification(HWND control, Notification handler) { notifications()[control] = std::move(handler); }
void forget_notifications(HWND control) { notifications().erase(control); }

bool notify(HWND control, UINT message, WPARAM wp, LPARAM lp) {
    auto it = notifications().find(control);
    if (it == notifications().end()) return false;
    // A copy: the handler may destroy its own control.
    Notification handler = it->second;
    handler(message, wp, lp);
    return true;
}

RECT pixel_box(const Control& c) {
    const int left = twips_to_px_x(c.left()), top = twips_to_px_y(c.top());
    return RECT{left, top, left + twips_to_px_x(c.width()), top + twips_to_px_y(c.height())};
}

int shift_state() {
    int state = 0;
    if (GetKeyState(VK_SHIFT) < 0) state |= 1;
    if (GetKeyState(VK_CONTROL) < 0) state |= 2;
    if (GetKeyState(VK_MENU) < 0) state |= 4;
    return state;
}

}  // namespace win32

Control::Control(Form& form, NativeWidget* widget, std::string name)
    : form_(form), widget_(widget), name_(std::move(name)) {
    if (widget_) {
        SetWindowLongPtrA(widget_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    } else {
        FormAccess::add_cell(form_, *this);
    }
}

Control::~Control() {
    if (widget_) {
        win32::forget_notifications(widget_);
        DestroyWindow(widget_);
    } else {
        FormAccess::remove_cell(form_, *this);
    }
}

void Control::apply_geometry() {
    if (!widget_) {
        FormAccess::redraw_cell(form_, *this);
        return;
    }
    const RECT r = win32::pixel_box(*this);
    int height = r.bottom - r.top;
    // A combo box's window also holds its drop-down list.
    char cls[16] = {};
    GetClassNameA(widget_, cls, sizeof cls);
    if (lstrcmpiA(cls, "ComboBox") == 0) height += 200;
    MoveWindow(widget_, r.left, r.top, r.right - r.left, height, TRUE);
}

// A cell is drawn again where it was (here) and where it goes (apply_geometry).
void Control::leave_old_place() {
    if (!widget_) FormAccess::redraw_cell(form_, *this);
}

void Control::set_visible(bool v) {
    if (v == visible_) return;
    if (widget_) {
        visible_ = v;
        ShowWindow(widget_, v ? SW_SHOWNA : SW_HIDE);
        return;
    }
    // A cell is drawn again while it is shown: before it goes, after it comes.
    if (!v) FormAccess::redraw_cell(form_, *this);
    visible_ = v;
    if (v) FormAccess::redraw_cell(form_, *this);
}

void Control::set_focus() {
    if (widget_) SetFocus(widget_);
}
bool Control::has_focus() const { return widget_ && GetFocus() == widget_; }

void Control::set_tooltip(const std::string& text) {
    tooltip_ = text;
    FormAccess::set_tooltip(form_, *this, text);
}

void Control::bring_to_front() {
    if (widget_) {
        SetWindowPos(widget_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        FormAccess::raise_cell(form_, *this, true);
    }
}
void Control::send_to_back() {
    if (widget_) {
        SetWindowPos(widget_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        FormAccess::raise_cell(form_, *this, false);
    }
}

// --- Label: a cell ---------------------------------------------------------

Label::Label(Form& form, std::string name) : Control(form, nullptr, std::move(name)) {}

void Label::set_caption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    FormAccess::redraw_cell(form_, *this);
}

void Label::set_font(const std::string& family, double points, bool bold) {
    FormAccess::set_cell_font(form_, *this, family, points, bold);
}

void Label::fit_font_to_height() { FormAccess::fit_cell_font(form_, *this, twips_to_px_y(height())); }

// --- TextBox -----------------------------------------------------------------

namespace {
std::string window_text(HWND w) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(w)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(w, text.data(), static_cast<int>(text.size()))));
    return text;
}
}  // namespace

TextBox::TextBox(Form& form, std::string name)
    : Control(form, FormAccess::create_child(form, "EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE),
              std::move(name)) {}

std::string TextBox::text() const { return window_text(widget_); }
void TextBox::set_text(const std::string& text) { SetWindowTextA(widget_, text.c_str()); }

// --- CommandButton -------------------------------------------------------------

CommandButton::CommandButton(Form& form, std::string name)
    : Control(form, FormAccess::create_child(form, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP), std::move(name)) {
    win32::on_notification(widget_, [this](UINT message, WPARAM wp, LPARAM) {
        if (message != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return;
        const std::function<void()> click = on_click;  // the handler may destroy the button
        if (click) guarded(click);
    });
}

void CommandButton::set_caption(const std::string& caption) { SetWindowTextA(widget_, caption.c_str()); }
std::string CommandButton::caption() const { return window_text(widget_); }

void CommandButton::set_default(bool on) {
    SendMessageA(widget_, BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    form_.set_default_button(on ? this : nullptr);
}
void CommandButton::set_cancel(bool on) { form_.set_cancel_button(on ? this : nullptr); }

void CommandButton::press() {
    if (IsWindowEnabled(widget_) && on_click) guarded(on_click);
}

// --- Timer ----------------------------------------------------------------------

namespace {
std::unordered_map<UINT_PTR, Timer*>& running_timers() {
    static auto* map = new std::unordered_map<UINT_PTR, Timer*>;
    return *map;
}

void CALLBACK timer_tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = running_timers().find(id);
    if (it == running_timers().end()) return;
    // A copy: the handler may destroy its timer.
    const std::function<void()> tick = it->second->on_timer;
    if (tick) guarded(tick);
}
}  // namespace

struct Timer::Impl {
    UINT_PTR id = 0;  // a thread timer while running
    void stop() {
        if (!id) return;
        KillTimer(nullptr, id);
        running_timers().erase(id);
        id = 0;
    }
};

Timer::Timer() : impl_(std::make_unique<Impl>()) {}

Timer::~Timer() { impl_->stop(); }

void Timer::set_interval(int ms) {
    if (ms < 0) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    if (ms == interval_ && (ms == 0 || impl_->id)) return;
    interval_ = ms;
    impl_->stop();
    if (ms == 0) return;
    impl_->id = SetTimer(nullptr, 0, static_cast<UINT>(ms), timer_tick);
    if (impl_->id) running_timers()[impl_->id] = this;
}

}  // namespace platform
