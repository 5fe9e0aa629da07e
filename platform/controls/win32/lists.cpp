// The file list and the folder list on Win32, over the system's list box.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/controls/win32/native.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/files/drives.h"
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

bool is_read_only(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
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
    SetWindowSubclass(widget_, FileListBridge::proc, 1, reinterpret_cast<DWORD_PTR>(this));
    win32::on_notification(widget_, [this](UINT message, WPARAM wp, LPARAM) {
        if (message == WM_COMMAND) FileListBridge::notified(*this, wp);
    });
    // Read when its window sets the pattern or the folder, as every window
    // does in its load step.
    path_ = start_folder();
}

void FileList::reload() {
    std::vector<std::string> names = list_files(path_, pattern_);
    if (!show_read_only_) {
        std::erase_if(names, [this](const std::string& n) { return is_read_only(join_path(path_, n)); });
    }
    names_ = std::move(names);
    index_ = -1;
    std::vector<std::string> shown;
    shown.reserve(names_.size());
    for (const auto& n : names_) shown.push_back(display_text(n));
    fill(widget_, shown, -1);
}

void FileList::set_path(const std::string& folder) {
    const std::string old = path_;
    path_ = folder;
    try {
        reload();
    } catch (...) {
        path_ = old;
        throw;
    }
}

void FileList::set_pattern(const std::string& patterns) {
    if (patterns == pattern_) return;
    pattern_ = patterns;
    reload();
}

void FileList::set_show_read_only(bool on) {
    if (on == show_read_only_) return;
    show_read_only_ = on;
    skip_on_error([this] { reload(); });
}

void FileList::refresh() { reload(); }

void FileList::set_list_index(int index) {
    if (index < -1 || index >= list_count()) throw Error(err::kInvalidPropertyValue, "Invalid property value");
    if (index == index_) return;
    index_ = index;
    SendMessageA(widget_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    announcement_pending_ = false;
    if (on_click) on_click();
}

std::string FileList::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, "Invalid property value");
    return names_[static_cast<size_t>(index)];
}

std::string FileList::file_name() const { return index_ >= 0 ? names_[static_cast<size_t>(index_)] : std::string(); }

void FileList::user_selected(int row) {
    if (row == index_ || row < -1 || row >= list_count()) return;
    index_ = row;
    if (FileListBridge::repeating_) {
        announce_when_keys_settle();
        return;
    }
    announcement_pending_ = false;
    if (on_click) guarded(on_click);
}

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
                    open(list, current_row(hwnd));
                    return 0;
                }
                break;
            case WM_LBUTTONDOWN:
                press.down(hwnd, lp);
                break;
            case WM_LBUTTONUP: {
                const bool again = press.up(hwnd, lp);
                const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
                if (again) highlight(list, current_row(hwnd));
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
            open(list, row);
        } else if (HIWORD(wp) == LBN_SELCHANGE && row != list.highlighted_) {
            highlight(list, row);
        }
    }

    // Every entry the user moves to, by mouse or keyboard, is a click.
    static void highlight(DirList& list, int row) {
        if (row < 0 || row >= list.list_count()) return;
        list.highlighted_ = row;
        if (list.on_click) guarded(list.on_click);
    }

    static void open(DirList& list, int row) {
        if (row < 0 || row >= list.list_count()) return;
        const std::string target = list.list(row);
        guarded([&] {
            try {
                list.set_path(target);
            } catch (const Error&) {
                // The folder may have gone since it was listed: show what is there now.
                skip_on_error([&] { list.refresh(); });
                throw;
            }
        });
    }
};

namespace {
Drive drive_holding(const std::string& folder) { return drive_of(read_drives(services().mount_table_path), folder); }

bool is_mount_point(const std::vector<Drive>& drives, const std::string& folder) {
    return std::any_of(drives.begin(), drives.end(),
                       [&](const Drive& d) { return lstrcmpiA(d.mount_point.c_str(), folder.c_str()) == 0; });
}
}  // namespace

DirList::DirList(Form& form, std::string name)
    : Control(form, FormAccess::create_child(form, "LISTBOX", kListStyle, WS_EX_CLIENTEDGE), std::move(name)) {
    SetWindowSubclass(widget_, DirListBridge::proc, 1, reinterpret_cast<DWORD_PTR>(this));
    win32::on_notification(widget_, [this](UINT message, WPARAM wp, LPARAM) {
        if (message == WM_COMMAND) DirListBridge::notified(*this, wp);
    });
    path_ = start_folder();
    skip_on_error([this] { rebuild(); });
}

std::string DirList::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, "Invalid property value");
    return entries_[static_cast<size_t>(index)];
}

void DirList::rebuild() {
    // The open folder's ancestors from its drive's root down, then its
    // sub-folders; another drive mounted inside this one is not listed here.
    const std::vector<std::string> subs = list_subfolders(path_);
    const std::vector<Drive> drives = read_drives(services().mount_table_path);
    const std::string top = drive_of(drives, path_).mount_point;
    std::vector<std::string> chain;
    for (std::string f = path_;; f = parent_folder(f)) {
        chain.insert(chain.begin(), f);
        if (lstrcmpiA(f.c_str(), top.c_str()) == 0 || parent_folder(f) == f) break;
    }
    entries_ = chain;
    for (const auto& s : subs) {
        std::string sub = normalize_folder(join_path(path_, s));
        if (!is_mount_point(drives, sub)) entries_.push_back(std::move(sub));
    }
    highlighted_ = static_cast<int>(chain.size()) - 1;
    std::vector<std::string> shown;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const bool ancestor = i < chain.size();
        const size_t depth = ancestor ? i : chain.size();
        const std::string label = i == 0 ? entries_[i] : base_name(entries_[i]);
        shown.push_back(std::string(depth * 2, ' ') + (ancestor ? "- " : "+ ") + display_text(label));
    }
    fill(widget_, shown, highlighted_);
}

void DirList::set_path(const std::string& path_or_drive) {
    std::string folder;
    if (auto drive = parse_drive(path_or_drive)) {
        folder = current_folder_of_drive(*drive);
    } else {
        folder = normalize_folder(path_or_drive);
        if (!is_folder(folder)) {
            throw Error(err::kPathNotFound, "The folder " + display_text(path_or_drive) + " was not found.");
        }
    }
    if (folder == path_) return;
    const std::string old = path_;
    path_ = folder;
    try {
        rebuild();
    } catch (...) {
        path_ = old;
        skip_on_error([this] { rebuild(); });
        throw;
    }
    remember_folder_on_drive(drive_holding(path_), path_);
    if (on_change) on_change();
}

void DirList::refresh() { rebuild(); }

}  // namespace platform
