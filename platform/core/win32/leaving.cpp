// Temporary files on Windows, and leaving at once. The open handle stands
// for the lock of the Linux build (see leaving.h).
#include "platform/core/leaving.h"

#include <windows.h>

#include <cerrno>
#include <cstddef>
#include <utility>

#include "platform/core/temp_file_record.h"
#include "platform/core/win32/system_error.h"

namespace platform {
namespace {

// Six letters or digits, different for each call and each process; called
// under the record's lock.
std::string random_part() {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static unsigned long long state = 0;
    if (state == 0) state = (::GetTickCount64() << 20) ^ ::GetCurrentProcessId() ^ 0x9E3779B97F4A7C15ull;
    std::string part;
    for (std::size_t i = 0; i < kTempRandom; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        part += kChars[state % (sizeof kChars - 1)];
    }
    return part;
}

}  // namespace

bool detail::open_new_temp_file(const std::string& prefix, TempFile& out) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        TempFile temp{nullptr, prefix + std::string(kTempMarker) + random_part()};
        const HANDLE h = ::CreateFileA(temp.path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            temp.handle = h;
            out = std::move(temp);
            return true;
        }
        const DWORD e = ::GetLastError();
        if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) {
            errno = win32::errno_of(e);
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

int detail::rename_temp_file(const TempFile& temp, const std::string& target) {
    if (::MoveFileExA(temp.path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    return win32::errno_of(::GetLastError());
}

// Each open file of ours shares deleting: it goes when it is closed, or when
// the process ends.
void detail::remove_temp_file(const std::string& path) { ::DeleteFileA(path.c_str()); }

int detail::close_temp_file(TempFile& temp) {
    const int e = temp.handle && !::CloseHandle(temp.handle) ? EIO : 0;
    temp.handle = nullptr;
    return e;
}

void detail::end_tracked_tools() {}

void detail::end_process_now(int status) {
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(status));
    ::ExitProcess(static_cast<UINT>(status));
}

void sweep_temp_files(const std::string& folder) {
    const std::string base = folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder : folder + "\\";
    WIN32_FIND_DATAA found;
    const HANDLE find = ::FindFirstFileExA((base + "*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !is_temp_file_name(found.cFileName)) continue;
        // Opened sharing nothing: this fails while its writer still holds
        // it, and the file goes when this handle closes, so a name made
        // anew in between is never taken.
        const HANDLE h = ::CreateFileA((base + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
}

}  // namespace platform
