// The start folder's folder calls on Windows: the process's current folder
// at start, else the user's profile folder, else the root of drive C.
#include <windows.h>

#include <cstdlib>

#include "platform/files/files.h"
#include "platform/files/start_folder_system.h"

namespace platform::detail {

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

std::string home_folder() {
    const char* profile = std::getenv("USERPROFILE");
    return profile ? profile : "";
}

std::string last_resort_folder() { return "C:\\"; }

}  // namespace platform::detail
