// The drive list's entries and choice, the same on every system; the box on
// screen and which listed drive holds a path are the backend's.
#include "platform/controls/controls.h"
#include "platform/controls/list_rules.h"
#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"
#include "words/catalogue.h"

namespace platform {

void DriveList::take_start_drive() {
    skip_on_error([this] {
        const auto drives = read_drives(services().mount_table_path);
        if (!drives.empty()) drive_ = drive_of(drives, start_folder()).spelled();
    });
}

void DriveList::fill() {
    spelled_.clear();
    for (const auto& d : read_drives(services().mount_table_path)) spelled_.push_back(d.spelled());
    std::vector<std::string> shown;
    int current = -1;
    for (size_t i = 0; i < spelled_.size(); ++i) {
        shown.push_back(display_text(spelled_[i]));
        if (spelled_[i] == drive_) current = static_cast<int>(i);
    }
    show_drives(shown, current);
}

int DriveList::list_count() const { return static_cast<int>(spelled_.size()); }

std::string DriveList::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    return spelled_[static_cast<size_t>(index)];
}

void DriveList::refresh() { fill(); }

void DriveList::user_chose(int row) {
    if (row < 0 || row >= list_count()) return;
    const std::string chosen = list(row);
    guarded([&] { set_drive(chosen); });
}

void DriveList::set_drive(const std::string& drive_or_path) {
    const auto drives = read_drives(services().mount_table_path);
    std::string wanted;
    if (auto d = parse_drive(drive_or_path)) {
        for (const auto& known : drives) {
            if (detail::same_folder(known.mount_point, d->mount_point)) wanted = known.spelled();
        }
    } else {
        wanted = detail::listed_drive_holding(drives, drive_or_path);
    }
    if (wanted.empty()) {
        throw Error(err::kDeviceUnavailable, words::kDriveNotAvailable, {display_text(drive_or_path)});
    }
    if (wanted == drive_) return;
    const std::string old = drive_;
    drive_ = wanted;
    fill();
    try {
        if (on_change) on_change();
    } catch (...) {
        // The folder list still shows the old drive: so does this list.
        drive_ = old;
        fill();
        throw;
    }
}

}  // namespace platform
