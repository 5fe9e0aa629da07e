// The drive list and the combo box on Win32: a drop-down list of drives (a
// typed letter picks a drive), and a combo box whose text field takes typed
// text that runs nothing.
#include <windows.h>
#include <commctrl.h>

#include "platform/controls/controls.h"
#include "platform/controls/list_rules.h"
#include "platform/controls/win32/native.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "words/catalogue.h"

namespace platform {
namespace {

constexpr DWORD kDropDownList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
// A drop-down list would take a typed letter as a choice of the entry it
// starts ("T" would open the thumbnails): the text field keeps typing apart.
constexpr DWORD kEditableDropDown = CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;

int chosen_row(HWND box) { return static_cast<int>(SendMessageA(box, CB_GETCURSEL, 0, 0)); }
bool dropped(HWND box) { return SendMessageA(box, CB_GETDROPPEDSTATE, 0, 0) != 0; }

// A choice by the user: a pick from the open list (also of the entry already
// chosen), or an arrow key on the closed box. Moving through the open list
// chooses nothing yet.
bool user_chose(UINT message, WPARAM wp, HWND box) {
    if (message != WM_COMMAND) return false;
    if (HIWORD(wp) == CBN_SELENDOK) return true;
    return HIWORD(wp) == CBN_SELCHANGE && !dropped(box);
}

// The wheel over a closed box chooses nothing: one notch would run an action.
LRESULT CALLBACK no_wheel(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_MOUSEWHEEL && !dropped(hwnd)) return 0;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void make_command_box(HWND box) { SetWindowSubclass(box, no_wheel, 1, 0); }

// The open list is as wide as its longest entry: an action is read whole.
void widen_list_for(HWND box, const std::string& text) {
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    const int wanted = size.cx + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE);
    if (wanted > SendMessageA(box, CB_GETDROPPEDWIDTH, 0, 0)) SendMessageA(box, CB_SETDROPPEDWIDTH, wanted, 0);
}

bool starts_with_ignoring_case(const std::string& text, const std::string& start) {
    return !start.empty() && text.size() >= start.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(), static_cast<int>(start.size()),
                          start.c_str(), static_cast<int>(start.size())) == CSTR_EQUAL;
}

}  // namespace

// --- DriveList -----------------------------------------------------------------

DriveList::DriveList(Form& form, std::string name)
    : Control(form, FormAccess::create_child(form, "COMBOBOX", kDropDownList), std::move(name)) {
    make_command_box(widget_);
    win32::on_notification(widget_, [this](UINT message, WPARAM wp, LPARAM) {
        if (platform::user_chose(message, wp, widget_)) user_chose(chosen_row(widget_));
    });
    take_start_drive();
    skip_on_error([this] { fill(); });
}

void DriveList::show_drives(const std::vector<std::string>& shown, int current) {
    SendMessageA(widget_, CB_RESETCONTENT, 0, 0);
    for (const auto& s : shown) {
        SendMessageA(widget_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        widen_list_for(widget_, s);
    }
    SendMessageA(widget_, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

// A path: the drive that holds it, when it is one of the system's (drive_of
// names a drive for any path, listed or not).
std::string detail::listed_drive_holding(const std::vector<Drive>& drives, const std::string& path) {
    if (drives.empty()) return {};
    const Drive holding = drive_of(drives, path);
    std::string wanted;
    for (const auto& known : drives) {
        if (same_folder(known.mount_point, holding.mount_point) && starts_with_ignoring_case(path, known.mount_point))
            wanted = known.spelled();
    }
    return wanted;
}

// --- ComboBox -----------------------------------------------------------------------

class ComboBridge {
public:
    static void user_chose(ComboBox& box, int index) {
        box.index_ = index;
        if (box.on_click) guarded(box.on_click);
    }
};

ComboBox::ComboBox(Form& form, std::string name)
    : Control(form, FormAccess::create_child(form, "COMBOBOX", kEditableDropDown), std::move(name)) {
    make_command_box(widget_);
    win32::on_notification(widget_, [this](UINT message, WPARAM wp, LPARAM) {
        if (platform::user_chose(message, wp, widget_)) ComboBridge::user_chose(*this, chosen_row(widget_));
    });
}

void ComboBox::add_item(const std::string& text) {
    SendMessageA(widget_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    widen_list_for(widget_, text);
}

int ComboBox::list_count() const { return static_cast<int>(SendMessageA(widget_, CB_GETCOUNT, 0, 0)); }

std::string ComboBox::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    std::string text(static_cast<size_t>(SendMessageA(widget_, CB_GETLBTEXTLEN, index, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(
        SendMessageA(widget_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void ComboBox::set_list_index(int index) {
    if (index < -1 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    index_ = index;
    SendMessageA(widget_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (on_click) on_click();
}

}  // namespace platform
