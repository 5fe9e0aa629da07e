// The file list's folder, pattern and selection, the same on every system;
// the list on screen is the backend's.
#include <utility>

#include "platform/controls/controls.h"
#include "platform/controls/list_rules.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/files/files.h"
#include "words/catalogue.h"

namespace platform {

void FileList::reload() {
    std::vector<std::string> names = list_files(path_, pattern_);
    if (!show_read_only_) {
        std::erase_if(names, [this](const std::string& n) { return detail::read_only_file(join_path(path_, n)); });
    }
    names_ = std::move(names);
    index_ = -1;
    std::vector<std::string> shown;
    shown.reserve(names_.size());
    for (const auto& n : names_) shown.push_back(display_text(n));
    show_names(shown);
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
    if (index < -1 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    if (index == index_) return;
    index_ = index;
    show_index();
    announcement_pending_ = false;
    if (on_click) on_click();
}

std::string FileList::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    return names_[static_cast<size_t>(index)];
}

std::string FileList::file_name() const { return index_ >= 0 ? names_[static_cast<size_t>(index_)] : std::string(); }

void FileList::user_selected(int row) {
    if (row == index_ || row < -1 || row >= list_count()) return;
    index_ = row;
    if (key_repeating()) {
        announce_when_keys_settle();
        return;
    }
    announcement_pending_ = false;
    if (on_click) guarded(on_click);
}

}  // namespace platform
