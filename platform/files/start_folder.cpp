// The start folder and its fall-backs, chosen without trusting the process's
// current folder to exist.
#include "platform/files/start_folder.h"

#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <mutex>

#include <dirent.h>
#include <unistd.h>

#include "platform/files/files.h"

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

bool can_read_folder(const std::string& folder) {
    if (folder.empty() || folder[0] != '/') return false;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    ::closedir(dir);
    return true;
}

// The process's current folder; empty when it was deleted or its path
// cannot be found.
std::string process_folder() {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) return std::string(buffer.c_str());
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

// The first of the candidates that can be read, else the home folder, else "/".
std::string first_readable(const std::string& candidate) {
    const char* home = std::getenv("HOME");
    for (const std::string& folder : {candidate, std::string(home ? home : "")}) {
        if (can_read_folder(folder)) return normalize_folder(folder);
    }
    return "/";
}

}  // namespace

std::string settle_start_folder() {
    const std::string folder = first_readable(process_folder());
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
