// The folder each drive was last left in, the same on every system: a drive
// chosen again opens there while it can still be listed.
#include <map>
#include <mutex>

#include "platform/core/error.h"
#include "platform/files/drive_folders_system.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"
#include "words/catalogue.h"

namespace platform {
namespace {

std::mutex& folders_mutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, std::string>& remembered_folders() {
    static std::map<std::string, std::string> folders;
    return folders;
}

std::string remembered_folder(const std::string& mount_point) {
    std::lock_guard<std::mutex> lock(folders_mutex());
    const auto it = remembered_folders().find(mount_point);
    return it == remembered_folders().end() ? std::string() : it->second;
}

}  // namespace

void remember_folder_on_drive(const Drive& drive, const std::string& folder) {
    std::lock_guard<std::mutex> lock(folders_mutex());
    remembered_folders()[drive.mount_point] = folder;
}

std::string current_folder_of_drive(const Drive& drive) {
    const std::string remembered = remembered_folder(drive.mount_point);
    if (!remembered.empty() && is_folder(remembered) && detail::unlistable_reason(remembered).empty()) {
        return remembered;
    }
    const std::string start = start_folder();
    if (detail::drive_holds(drive, start)) return start;
    if (const std::string why = detail::unlistable_reason(drive.mount_point); !why.empty()) {
        throw Error(err::kDeviceUnavailable, words::kDriveCannotBeRead, {display_text(drive.spelled()), why});
    }
    return drive.mount_point;
}

}  // namespace platform
