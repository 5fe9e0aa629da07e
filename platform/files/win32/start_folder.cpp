// The start folder on Windows: the process's current folder at start, else
// the user's profile folder, else the root of drive C.
#include "platform/files/start_folder.h"

#include <windows.h>

#include <cstdlib>
#include <mutex>

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
    if (folder.size() < 3 || folder[1] != ':' || !is_folder(folder)) return false;
    WIN32_FIND_DATAA found;
    const std::string pattern = folder.back() == '\\' ? folder + "*" : folder + "\\*";
    const HANDLE find = ::FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    ::FindClose(find);
    return true;
}

std::string process_folder() {
    const DWORD n = ::GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return {};
    std::string buffer(n, '\0');
    const DWORD got = ::GetCurrentDirectoryA(n, buffer.data());
    if (got == 0 || got >= n) return {};
    buffer.resize(got);
    return buffer;
}

// The candidate when it can be read, else the profile folder, else C:\.
std::string first_readable(const std::string& candidate) {
    const char* profile = std::getenv("USERPROFILE");
    for (const std::string& folder : {candidate, std::string(profile ? profile : "")}) {
        if (can_read_folder(folder)) return normalize_folder(folder);
    }
    return "C:\\";
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
