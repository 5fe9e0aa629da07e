// The start folder and its fall-backs, chosen without trusting the process's
// current folder to exist; the same on every system (the folder calls are
// each system's, start_folder_system.h).
#include "platform/files/start_folder.h"

#include <initializer_list>
#include <mutex>

#include "platform/files/files.h"
#include "platform/files/start_folder_system.h"

namespace platform {
namespace {

std::mutex& folder_mutex() {
    static std::mutex m;
    return m;
}

std::string& recorded() {
    static std::string folder;
    return folder;
}

// The candidate when it can be read, else the home folder, else the root.
std::string first_readable(const std::string& candidate) {
    for (const std::string& folder : {candidate, detail::home_folder()}) {
        if (detail::can_read_folder(folder)) return normalize_folder(folder);
    }
    return detail::last_resort_folder();
}

}  // namespace

std::string settle_start_folder() {
    const std::string folder = first_readable(detail::process_folder());
    std::lock_guard<std::mutex> lock(folder_mutex());
    recorded() = folder;
    return folder;
}

std::string start_folder() {
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(folder_mutex());
        folder = recorded();
    }
    if (folder.empty()) return settle_start_folder();
    return first_readable(folder);
}

}  // namespace platform
