// The folder list's entries and moves, the same on every system: the open
// folder's ancestors from its drive's root down, then its sub-folders. The
// list on screen and how folder names compare are the backend's.
#include <algorithm>
#include <utility>

#include "platform/controls/controls.h"
#include "platform/controls/list_rules.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "words/catalogue.h"

namespace platform {
namespace {

Drive drive_holding(const std::string& folder) { return drive_of(read_drives(services().mount_table_path), folder); }

bool is_mount_point(const std::vector<Drive>& drives, const std::string& folder) {
    return std::any_of(drives.begin(), drives.end(),
                       [&](const Drive& d) { return detail::same_folder(d.mount_point, folder); });
}

}  // namespace

std::string DirList::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    return entries_[static_cast<size_t>(index)];
}

void DirList::rebuild() {
    // Another drive mounted inside this one is reached through the drive
    // list: its folder is not listed here.
    const std::vector<std::string> subs = list_subfolders(path_);
    const std::vector<Drive> drives = read_drives(services().mount_table_path);
    const std::string top = drive_of(drives, path_).mount_point;
    std::vector<std::string> chain;
    for (std::string f = path_;; f = parent_folder(f)) {
        chain.insert(chain.begin(), f);
        if (detail::same_folder(f, top) || parent_folder(f) == f) break;
    }
    entries_ = chain;
    for (const auto& s : subs) {
        std::string sub = normalize_folder(join_path(path_, s));
        if (!is_mount_point(drives, sub)) entries_.push_back(std::move(sub));
    }
    highlighted_ = static_cast<int>(chain.size()) - 1;
    std::vector<std::string> shown;
    shown.reserve(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        const bool ancestor = i < chain.size();
        const std::string label = i == 0 ? entries_[i] : base_name(entries_[i]);
        shown.push_back(detail::folder_row_text(ancestor ? i : chain.size(), ancestor, label));
    }
    show_entries(shown);
}

void DirList::set_path(const std::string& path_or_drive) {
    std::string folder;
    if (auto drive = parse_drive(path_or_drive)) {
        folder = current_folder_of_drive(*drive);
    } else {
        folder = normalize_folder(path_or_drive);
        if (!is_folder(folder)) {
            throw Error(err::kPathNotFound, words::kFolderNotFound, {display_text(path_or_drive)});
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

void DirList::open_entry(int row) {
    if (row < 0 || row >= list_count()) return;
    const std::string target = list(row);
    guarded([&] {
        try {
            set_path(target);
        } catch (const Error&) {
            // The folder may have gone since it was listed: show what is there now.
            skip_on_error([&] { refresh(); });
            throw;
        }
    });
}

// Every entry the user moves to, by mouse or keyboard, is a click; so is a
// click on the entry already highlighted.
void DirList::highlight_entry(int row) {
    if (row < 0 || row >= list_count()) return;
    highlighted_ = row;
    if (on_click) guarded(on_click);
}

}  // namespace platform
