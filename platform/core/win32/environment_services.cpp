// Where a real run keeps its files on Windows: the settings in the real
// registry (no store file), preview.bmp in C:\ where the user may write, no
// thumbnail cache.
#include <windows.h>

#include <cstdlib>

#include "platform/core/leaving.h"
#include "platform/core/services.h"
#include "platform/core/win32/preview_place.h"

namespace platform {
namespace win32 {

std::string choose_preview_bmp_path(const std::string& root_folder, const std::string& fallback_folder) {
    const std::string probe =
        root_folder + "glimmerbox-probe-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
    // Created new and gone again when closed, so nothing is left behind.
    const HANDLE h = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return root_folder + "preview.bmp";
    }
    const std::string folder = fallback_folder + "\\Glimmerbox";
    ::CreateDirectoryA(fallback_folder.c_str(), nullptr);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\preview.bmp";
}

}  // namespace win32

namespace {

// The user's local application data folder: LOCALAPPDATA, else below the
// profile, else the temporary folder.
std::string local_app_data() {
    if (const char* v = std::getenv("LOCALAPPDATA"); v && *v) return v;
    if (const char* v = std::getenv("USERPROFILE"); v && *v) return std::string(v) + "\\AppData\\Local";
    char temp[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(sizeof temp, temp);
    std::string folder = n > 0 && n < sizeof temp ? std::string(temp, n) : "C:\\";
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace

Services environment_services() {
    Services s;
    s.preview_bmp_path = win32::choose_preview_bmp_path("C:\\", local_app_data());
    // Nothing is saved and no unload step runs: leave at once, taking our
    // temporary files with us.
    s.end_program = [] { leave_now(0); };
    return s;
}

}  // namespace platform
