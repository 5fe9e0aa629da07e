// The start folder's folder calls on Linux.
#include <cerrno>
#include <cstdlib>

#include <dirent.h>
#include <unistd.h>

#include "platform/files/start_folder_system.h"

namespace platform::detail {

bool can_read_folder(const std::string& folder) {
    if (folder.empty() || folder[0] != '/') return false;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    ::closedir(dir);
    return true;
}

std::string process_folder() {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) return std::string(buffer.c_str());
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string home_folder() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string last_resort_folder() { return "/"; }

}  // namespace platform::detail
