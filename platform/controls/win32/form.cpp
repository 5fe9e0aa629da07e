// Forms on Win32: the frame is an MDI frame, a child form an MDI child inside
// it, a top-level form a window of its own. Dialog keys (Tab, Enter, Esc, the
// arrows of lists) come from IsDialogMessage in the message loop.
#include <windows.h>
#include <commctrl.h>

#include "platform/controls/form.h"
#include "platform/controls/win32/form_impl.h"
#include "platform/controls/win32/native.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "platform/core/win32/message_loop.h"
#include "words/catalogue.h"

namespace platform {
namespace {

constexpr const char* kFrameClass = "GlimmerboxFrame";
constexpr const char* kChildClass = "GlimmerboxChild";
constexpr const char* kFormClass = "GlimmerboxForm";
constexpr UINT kFirstChildId = 0xFF00;  // the MDI client numbers its children from here

Form* form_of(HWND hwnd) {
    char cls[32] = {};
    if (!hwnd || !GetClassNameA(hwnd, cls, sizeof cls)) return nullptr;
    if (lstrcmpA(cls, kFrameClass) && lstrcmpA(cls, kChildClass) && lstrcmpA(cls, kFormClass)) return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void press(CommandButton* button) {
    if (button && button->visible()) button->press();
}

// The messages every kind of form handles alike; false leaves the message
// to the kind's default procedure.
bool handle(Form& form, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    auto& impl = FormAccess::impl(form);
    result = 0;
    switch (msg) {
        case WM_COMMAND:
            if (lp) return win32::notify(reinterpret_cast<HWND>(lp), msg, wp, lp);
            // Enter and Esc, from IsDialogMessage.
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                FormAccess::press_role(form, LOWORD(wp) == IDOK);
                return true;
            }
            return false;
        case WM_HSCROLL:
        case WM_VSCROLL:
            return lp && win32::notify(reinterpret_cast<HWND>(lp), msg, wp, lp);
        case WM_CLOSE:
            if (!impl.closing_silently && form.on_close) guarded(form.on_close);
            return true;
        case WM_NOTIFYFORMAT:
            result = NFR_ANSI;
            return true;
        case WM_NOTIFY:
            return FormAccess::cell_tip(form, lp);
        case WM_PAINT: {
            if (form.kind() == FormKind::Frame) return false;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            FormAccess::paint_cells(form, dc, ps.rcPaint);
            EndPaint(hwnd, &ps);
            return true;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEMOVE:
            return form.kind() != FormKind::Frame && FormAccess::cell_mouse(form, msg, lp);
        case WM_ACTIVATE:
            // The control that had the keyboard gets it back.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) impl.last_focus = focus;
                return false;
            }
            if (impl.last_focus && IsWindow(impl.last_focus) && IsWindowVisible(impl.last_focus)) {
                SetFocus(impl.last_focus);
                return true;
            }
            return false;
        case WM_MDIACTIVATE:
            if (reinterpret_cast<HWND>(wp) == hwnd) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) impl.last_focus = focus;
            }
            return false;
        case WM_SETFOCUS:
            if (form.kind() == FormKind::Frame) return false;
            // A child window is made the active one first, as the frame keeps it.
            if (FormAccess::is_child(form)) DefMDIChildProcA(hwnd, msg, wp, lp);
            if (impl.last_focus && IsWindow(impl.last_focus) && IsWindowVisible(impl.last_focus)) {
                SetFocus(impl.last_focus);
            } else if (HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE)) {
                SetFocus(first);
            }
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK frame_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* form = form_of(hwnd);
    LRESULT result = 0;
    if (form && handle(*form, hwnd, msg, wp, lp, result)) return result;
    return DefFrameProcA(hwnd, form ? FormAccess::impl(*form).client : nullptr, msg, wp, lp);
}

LRESULT CALLBACK child_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* form = form_of(hwnd);
    LRESULT result = 0;
    if (form && handle(*form, hwnd, msg, wp, lp, result)) return result;
    return DefMDIChildProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK form_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Form* form = form_of(hwnd);
    LRESULT result = 0;
    if (form && handle(*form, hwnd, msg, wp, lp, result)) return result;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A click on the frame's empty background.
LRESULT CALLBACK mdi_client_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* form = reinterpret_cast<Form*>(data);
    if (msg == WM_LBUTTONUP && form->on_click) guarded(form->on_click);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// Keys of our windows: the frame's child-window keys, then the dialog keys
// of the window that has the keyboard (the active child, in the frame).
bool dialog_keys(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    Form* form = form_of(root);
    if (!form) return false;
    HWND target = root;
    if (form->kind() == FormKind::Frame) {
        HWND client = FormAccess::impl(*form).client;
        if (TranslateMDISysAccel(client, &msg)) return true;
        target = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
        if (!target) return false;
    }
    return IsDialogMessageA(target, &msg);
}

void register_classes() {
    static bool done = false;
    if (done) return;
    done = true;
    win32::set_message_filter(dialog_keys);
    const struct {
        const char* name;
        WNDPROC proc;
        int background;
    } classes[] = {{kFrameClass, frame_proc, COLOR_APPWORKSPACE},
                   {kChildClass, child_proc, COLOR_BTNFACE},
                   {kFormClass, form_proc, COLOR_BTNFACE}};
    for (const auto& c : classes) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = c.proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hIcon = win32::application_icon(false);
        wc.hIconSm = win32::application_icon(true);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(c.background + 1));
        wc.lpszClassName = c.name;
        RegisterClassExA(&wc);
    }
}

}  // namespace

Form::Form(FormKind kind, Form* frame) : impl_(std::make_unique<Impl>()), kind_(kind) {
    register_classes();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    HWND mdi_client = kind == FormKind::Child && frame ? frame->impl_->client : nullptr;
    if (kind == FormKind::Frame) {
        // An empty menu bar: a maximised child puts its window buttons there.
        impl_->window = CreateWindowExA(0, kFrameClass, "", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, nullptr, CreateMenu(), instance, nullptr);
        CLIENTCREATESTRUCT ccs{nullptr, kFirstChildId};
        if (impl_->window) {
            impl_->client = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                            WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL |
                                                MDIS_ALLCHILDSTYLES,
                                            0, 0, 0, 0, impl_->window, nullptr, instance, &ccs);
            SetWindowSubclass(impl_->client, mdi_client_proc, 1, reinterpret_cast<DWORD_PTR>(this));
        }
    } else if (mdi_client) {
        impl_->window = CreateWindowExA(WS_EX_MDICHILD, kChildClass, "", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, mdi_client, nullptr, instance, nullptr);
        impl_->client = impl_->window;
    } else {
        impl_->window = CreateWindowExA(0, kFormClass, "", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
        impl_->client = impl_->window;
    }
    if (!impl_->window || !impl_->client) throw Error(err::kOutOfMemory, words::kNoWindowMade);
    SetWindowLongPtrA(impl_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    impl_->tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, impl_->window,
                                     nullptr, instance, nullptr);
}

Form::~Form() {
    controls_.clear();
    timers_.clear();
    SetWindowLongPtrA(impl_->window, GWLP_USERDATA, 0);
    if (impl_->tooltip) DestroyWindow(impl_->tooltip);
    if (kind_ == FormKind::Frame) RemoveWindowSubclass(impl_->client, mdi_client_proc, 1);
    HWND parent = GetParent(impl_->window);
    if (GetWindowLongA(impl_->window, GWL_EXSTYLE) & WS_EX_MDICHILD) {
        SendMessageA(parent, WM_MDIDESTROY, reinterpret_cast<WPARAM>(impl_->window), 0);
    } else {
        DestroyWindow(impl_->window);
    }
    // A window of many controls (a thumbnail grid) leaves much freed memory.
    release_free_memory();
}

std::string Form::caption() const { return impl_->caption; }
void Form::set_caption(const std::string& caption) {
    impl_->caption = caption;
    SetWindowTextA(impl_->window, caption.c_str());
}

bool FormAccess::is_child(const Form& form) {
    return (GetWindowLongA(form.impl_->window, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
}

int Form::window_state() const {
    HWND w = impl_->window;
    if (!IsWindowVisible(w)) return impl_->pending_state;
    if (IsIconic(w)) return kStateMinimized;
    if (IsZoomed(w)) return kStateMaximized;
    return kStateNormal;
}

void Form::set_window_state(int state) {
    impl_->pending_state = state;
    HWND w = impl_->window;
    if (!IsWindowVisible(w)) return;  // taken when the window is shown
    if (FormAccess::is_child(*this) && state != kStateMinimized) {
        HWND client = GetParent(w);
        SendMessageA(client, state == kStateMaximized ? WM_MDIMAXIMIZE : WM_MDIRESTORE,
                     reinterpret_cast<WPARAM>(w), 0);
        return;
    }
    if (state != kStateNormal) {
        ShowWindow(w, state == kStateMinimized ? SW_MINIMIZE : SW_MAXIMIZE);
        return;
    }
    // A window minimised from maximised comes back maximised first.
    if (IsIconic(w)) ShowWindow(w, SW_RESTORE);
    if (IsZoomed(w)) ShowWindow(w, SW_RESTORE);
}

namespace {
RECT outer_box(HWND w, bool child) {
    RECT r{};
    GetWindowRect(w, &r);
    if (child) MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

int Form::left() const { return px_to_twips_x(outer_box(impl_->window, FormAccess::is_child(*this)).left); }
int Form::top() const { return px_to_twips_y(outer_box(impl_->window, FormAccess::is_child(*this)).top); }
int Form::width() const {
    const RECT r = outer_box(impl_->window, false);
    return px_to_twips_x(r.right - r.left);
}
int Form::height() const {
    const RECT r = outer_box(impl_->window, false);
    return px_to_twips_y(r.bottom - r.top);
}

void Form::set_left(double twips) {
    const RECT r = outer_box(impl_->window, FormAccess::is_child(*this));
    SetWindowPos(impl_->window, nullptr, twips_to_px_x(twips), r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::set_top(double twips) {
    const RECT r = outer_box(impl_->window, FormAccess::is_child(*this));
    SetWindowPos(impl_->window, nullptr, r.left, twips_to_px_y(twips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::set_client_size(double width_twips, double height_twips) {
    HWND w = impl_->window;
    RECT r{0, 0, twips_to_px_x(width_twips), twips_to_px_y(height_twips)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)), GetMenu(w) != nullptr,
                       static_cast<DWORD>(GetWindowLongA(w, GWL_EXSTYLE)));
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::show() {
    HWND w = impl_->window;
    const int state = impl_->pending_state;
    if (FormAccess::is_child(*this)) {
        HWND client = GetParent(w);
        if (!IsWindowVisible(w)) {
            ShowWindow(w, state == kStateMinimized ? SW_SHOWMINIMIZED : SW_SHOW);
            if (state == kStateMaximized) SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(w), 0);
        }
        SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(w), 0);
        return;
    }
    if (!IsWindowVisible(w)) {
        ShowWindow(w, state == kStateMinimized   ? SW_SHOWMINIMIZED
                      : state == kStateMaximized ? SW_SHOWMAXIMIZED
                                                 : SW_SHOWNORMAL);
    }
    BringWindowToTop(w);
    SetForegroundWindow(w);
}

void Form::hide() { ShowWindow(impl_->window, SW_HIDE); }

bool Form::is_shown() const { return IsWindowVisible(impl_->window) != FALSE; }

void Form::close_silently() {
    impl_->closing_silently = true;
    hide();
}

Timer& Form::add_timer() {
    timers_.push_back(std::make_unique<Timer>());
    return *timers_.back();
}

void Form::remove(Control& control) { controls_.erase(&control); }

std::unique_ptr<Control> Form::take(Control& control) {
    auto node = controls_.extract(&control);
    if (node.empty()) return nullptr;
    Control& taken = *node.mapped();
    if (HWND w = taken.widget()) {
        ShowWindow(w, SW_HIDE);
    } else {
        FormAccess::remove_cell(*this, taken);
    }
    return std::move(node.mapped());
}

// The tab order is the order of the child windows.
void Form::set_tab_order(const std::vector<Control*>& order) {
    HWND after = HWND_TOP;
    for (Control* c : order) {
        if (!c->widget()) continue;  // pictures and labels take no keyboard
        SetWindowPos(c->widget(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = c->widget();
    }
}

NativeWidget* Form::client() const { return impl_->client; }
NativeWidget* Form::window() const { return impl_->window; }

// --- The form's side of its controls --------------------------------------

Form::Impl& FormAccess::impl(const Form& form) { return *form.impl_; }

HWND FormAccess::client(const Form& form) { return form.impl_->client; }

HWND FormAccess::create_child(Form& form, const char* window_class, DWORD style, DWORD ex_style) {
    Form::Impl& impl = *form.impl_;
    const int id = impl.next_id++;
    HWND w = CreateWindowExA(ex_style, window_class, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, impl.client,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!w) throw Error(err::kOutOfMemory, words::kNoControlMade);
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return w;
}

void FormAccess::press_role(Form& form, bool default_role) {
    press(default_role ? form.default_button_ : form.cancel_button_);
}

void FormAccess::set_tooltip(Form& form, Control& control, const std::string& text) {
    Form::Impl& impl = *form.impl_;
    if (!impl.tooltip) return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = impl.client;
    if (HWND w = control.widget()) {
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.uId = reinterpret_cast<UINT_PTR>(w);
        SendMessageA(impl.tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        if (text.empty()) return;
        tool.lpszText = const_cast<char*>(text.c_str());
        SendMessageA(impl.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    // One tool over the whole client area answers with the text of the
    // cell under the mouse.
    if (impl.cell_tool || text.empty()) return;
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = 0;
    tool.rect = RECT{0, 0, 32767, 32767};
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    impl.cell_tool = SendMessageA(impl.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

}  // namespace platform
