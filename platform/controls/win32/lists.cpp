// The file list and the folder list on Win32, over the system's list box.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>

#include "platform/controls/controls.h"
#include "platform/controls/list_rules.h"
#include "platform/controls/win32/native.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"

namespace platform {
namespace {

constexpr UINT kAnnounce = WM_APP + 2;  // the keys that were waiting have been handled
constexpr DWORD kListStyle = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;

int current_row(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

int row_at(HWND list, LPARAM lp) {
    const LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, lp);
    return HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
}

void fill(HWND list, const std::vector<std::string>& texts, int selected) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, texts.size(), texts.size() * 32);
    for (const auto& t : texts) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// The row a button went down on, when it was the selected one: releasing
// there is a click too (the list box reports only changes).
struct PressOnCurrent {
    int row = -1;
    void down(HWND list, LPARAM lp) {
        const int under = row_at(list, lp);
        row = under >= 0 && under == current_row(list) ? under : -1;
    }
    bool up(HWND list, LPARAM lp) {
        const bool same = row >= 0 && row_at(list, lp) == row && current_row(list) == row;
        row = -1;
        return same;
    }
};

}  // namespace

bool detail::read_only_file(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Folder names compare without regard to case, as the system's do.
bool detail::same_folder(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string detail::folder_row_text(std::size_t depth, bool open, const std::string& label) {
    return std::string(depth * 2, ' ') + (open ? "- " : "+ ") + display_text(label);
}

namespace {

// Hands a list's own window messages and its notifications to its bridge.
template <class Bridge, class List>
void attach_bridge(List& list, HWND widget) {
    SetWindowSubclass(widget, Bridge::proc, 1, reinterpret_cast<DWORD_PTR>(&list));
    win32::on_notification(widget, [&list](UINT message, WPARAM wp, LPARAM) {
        if (message == WM_COMMAND) Bridge::notified(list, wp);
    });
}

}  // namespace

// --- FileList -----------------------------------------------------------------

class FileListBridge {
public:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        auto& list = *reinterpret_cast<FileList*>(data);
        static PressOnCurrent press;
        switch (msg) {
            case WM_KEYDOWN: {
                if (list.on_key_down) {
                    auto code = static_cast<std::int16_t>(wp);
                    const int shift = win32::shift_state();
                    guarded([&] { list.on_key_down(code, shift); });
                    if (!IsWindow(hwnd)) return 0;
                }
                // A held key's repeats move the selection at once; the
                // entry is announced once the presses waiting are handled.
                repeating_ = win32::is_repeat(lp);
                const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
                repeating_ = false;
                return r;
            }
            case WM_LBUTTONDOWN:
                press.down(hwnd, lp);
                break;
            case WM_LBUTTONUP: {
                const bool again = press.up(hwnd, lp);
                const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
                if (again && list.on_click) guarded(list.on_click);
                return r;
            }
            case kAnnounce:
                if (list.announcement_pending_) {
                    list.announcement_pending_ = false;
                    if (list.on_click) guarded(list.on_click);
                }
                return 0;
            default:
                break;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    }

    static void notified(FileList& list, WPARAM wp) {
        if (HIWORD(wp) == LBN_DBLCLK) {
            if (list.on_dbl_click) guarded(list.on_dbl_click);
        } else if (HIWORD(wp) == LBN_SELCHANGE) {
            list.user_selected(current_row(list.widget_));
        }
    }

    static inline bool repeating_ = false;
};

FileList::FileList(Form& form, std::string name)
    : Control(form, FormAccess::create_child(form, "LISTBOX", kListStyle, WS_EX_CLIENTEDGE), std::move(name)) {
    attach_bridge<FileListBridge>(*this, widget_);
    // Read when its window sets the pattern or the folder, as every window
    // does in its load step.
    path_ = start_folder();
}

void FileList::show_names(const std::vector<std::string>& shown) { fill(widget_, shown, -1); }

void FileList::show_index() { SendMessageA(widget_, LB_SETCURSEL, static_cast<WPARAM>(index_), 0); }

bool FileList::key_repeating() const { return FileListBridge::repeating_; }

// Posted to the list itself: the keys already waiting come first, and a list
// that is gone by then announces nothing.
void FileList::announce_when_keys_settle() {
    if (announcement_pending_) return;
    announcement_pending_ = true;
    PostMessageA(widget_, kAnnounce, 0, 0);
}

// --- DirList --------------------------------------------------------------------

class DirListBridge {
public:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        auto& list = *reinterpret_cast<DirList*>(data);
        static PressOnCurrent press;
        switch (msg) {
            case WM_GETDLGCODE:
                // Enter opens the entry rather than pressing a default button.
                if (lp && reinterpret_cast<MSG*>(lp)->wParam == VK_RETURN) return DLGC_WANTALLKEYS;
                break;
            case WM_KEYDOWN:
                if (wp == VK_RETURN) {
                    list.open_entry(current_row(hwnd));
                    return 0;
                }
                break;
            case WM_LBUTTONDOWN:
                press.down(hwnd, lp);
                break;
            case WM_LBUTTONUP: {
                const bool again = press.up(hwnd, lp);
                const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
                if (again) list.highlight_entry(current_row(hwnd));
                return r;
            }
            default:
                break;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    }

    static void notified(DirList& list, WPARAM wp) {
        const int row = current_row(list.widget_);
        if (HIWORD(wp) == LBN_DBLCLK) {
            list.open_entry(row);
        } else if (HIWORD(wp) == LBN_SELCHANGE && row != list.highlighted_) {
            list.highlight_entry(row);
        }
    }
};

DirList::DirList(Form& form, std::string name)
    : Control(form, FormAccess::create_child(form, "LISTBOX", kListStyle, WS_EX_CLIENTEDGE), std::move(name)) {
    attach_bridge<DirListBridge>(*this, widget_);
    path_ = start_folder();
    skip_on_error([this] { rebuild(); });
}

void DirList::show_entries(const std::vector<std::string>& shown) { fill(widget_, shown, highlighted_); }

}  // namespace platform
