// The run time on Windows: the message loop, DoEvents, MessageBoxA, the
// screen, and post() through a message-only window.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>

#include "platform/core/leaving.h"
#include "platform/core/runtime.h"
#include "platform/core/win32/message_loop.h"
#include "words/catalogue.h"

namespace platform {
namespace {

constexpr UINT kRunPosted = WM_APP + 1;
constexpr const char* kPostClass = "GlimmerboxPost";
constexpr const char* kSessionClass = "GlimmerboxSession";

win32::MessageFilter g_filter = nullptr;
// Written once on the window thread before any other thread can post.
std::atomic<HWND> g_post_window{nullptr};

LRESULT CALLBACK post_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRunPosted) {
        std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lp));
        if (fn && *fn) guarded(*fn);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The session ends (log off, shut down): Windows ends the process once this
// returns, so our temporary files go now.
LRESULT CALLBACK session_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ENDSESSION && wp) leave_now(0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND make_hidden_window(const char* class_name, WNDPROC proc, HWND parent) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = class_name;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    return CreateWindowExA(0, class_name, "", 0, 0, 0, 0, 0, parent, nullptr, wc.hInstance, nullptr);
}

int logical_dpi(int which) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, which) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

// The system's DPI stays for the whole session of a system-aware program.
int dpi_x() {
    static const int dpi = logical_dpi(LOGPIXELSX);
    return dpi;
}
int dpi_y() {
    static const int dpi = logical_dpi(LOGPIXELSY);
    return dpi;
}

}  // namespace

namespace win32 {

void set_message_filter(MessageFilter filter) { g_filter = filter; }

void serve_message(MSG& msg) {
    if (g_filter && g_filter(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

HICON application_icon(bool small) {
    const int cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    // The program's icon is resource 1 of the executable (app/main/win32).
    HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR);
    return icon ? static_cast<HICON>(icon) : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

}  // namespace win32

struct Application::Impl {};

Application::Application(const char*) : impl_(std::make_unique<Impl>()) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (!g_post_window.load()) g_post_window = make_hidden_window(kPostClass, post_proc, HWND_MESSAGE);
    set_application_icon();
}

Application::~Application() = default;

int Application::run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) win32::serve_message(msg);
    return static_cast<int>(msg.wParam);
}

// The windows take the icon from their classes (win32::application_icon).
void set_application_icon() {}

std::optional<std::string> display_problem() { return std::nullopt; }
std::optional<std::string> settle_display() { return std::nullopt; }

// IsIconic tells a minimised window on every Windows desktop.
bool window_system_reports_minimised() {
    const auto& ask = services().reports_minimised;
    return ask ? ask() : true;
}

void DoEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // For the event loop that is waiting further out.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        win32::serve_message(msg);
    }
}

int show_message_box(const MessageBoxRequest& r) {
    UINT flags = MB_TASKMODAL | MB_SETFOREGROUND;
    switch (r.icon) {
        case MsgIcon::None: break;
        case MsgIcon::Critical: flags |= MB_ICONHAND; break;
        case MsgIcon::Question: flags |= MB_ICONQUESTION; break;
        case MsgIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
        case MsgIcon::Information: flags |= MB_ICONASTERISK; break;
    }
    switch (r.buttons) {
        case MsgButtons::Ok: flags |= MB_OK; break;
        case MsgButtons::OkCancel: flags |= MB_OKCANCEL; break;
        case MsgButtons::YesNo: flags |= MB_YESNO; break;
    }
    const std::string& title = r.title.empty() ? words::say(words::kAppTitle) : r.title;
    switch (MessageBoxA(nullptr, r.text.c_str(), title.c_str(), flags)) {
        case IDCANCEL: return kAnswerCancel;
        case IDYES: return kAnswerYes;
        case IDNO: return kAnswerNo;
        default: return kAnswerOk;
    }
}

// A twip is 1/1440 inch.
double twips_per_pixel_x() { return 1440.0 / dpi_x(); }
double twips_per_pixel_y() { return 1440.0 / dpi_y(); }

int screen_width_twips() { return px_to_twips_x(GetSystemMetrics(SM_CXSCREEN)); }
int screen_height_twips() { return px_to_twips_y(GetSystemMetrics(SM_CYSCREEN)); }

// No display can go away under a Windows program; the session can end.
void leave_cleanly_when_display_goes() {
    static HWND session = make_hidden_window(kSessionClass, session_proc, nullptr);
    (void)session;
}

void post(std::function<void()> fn) {
    HWND target = g_post_window.load();
    auto* boxed = new std::function<void()>(std::move(fn));
    if (!target || !PostMessageA(target, kRunPosted, 0, reinterpret_cast<LPARAM>(boxed))) delete boxed;
}

void release_free_memory() { HeapCompact(GetProcessHeap(), 0); }

}  // namespace platform
