// Temporary files on Windows, and leaving at once. The open handle stands
// for the lock of the Linux build (see leaving.h).
#include "platform/core/leaving.h"

#include <windows.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "platform/core/win32/system_error.h"

namespace platform {
namespace {

struct Registry {
    std::mutex lock;
    bool leaving = false;
    std::set<std::string> temp_files;
    std::function<void(int)> test_end;
    unsigned long long random = 0;
};

Registry& registry() {
    // Never destroyed: other threads may still use it while the process ends.
    static Registry* r = new Registry;
    return *r;
}

// Six letters or digits, different for each call and each process.
std::string random_part(Registry& r) {
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    if (r.random == 0) r.random = (::GetTickCount64() << 20) ^ ::GetCurrentProcessId() ^ 0x9E3779B97F4A7C15ull;
    std::string part;
    for (std::size_t i = 0; i < kTempRandom; ++i) {
        r.random ^= r.random << 13;
        r.random ^= r.random >> 7;
        r.random ^= r.random << 17;
        part += kChars[r.random % (sizeof kChars - 1)];
    }
    return part;
}

void close_quietly(TempFile& temp) {
    if (temp.handle) ::CloseHandle(temp.handle);
    temp.handle = nullptr;
}

}  // namespace

TempFile create_temp_file(const std::string& prefix) {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.leaving) {
        errno = ECANCELED;
        return {};
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        TempFile temp{nullptr, prefix + std::string(kTempMarker) + random_part(r)};
        const HANDLE h = ::CreateFileA(temp.path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            temp.handle = h;
            r.temp_files.insert(temp.path);
            return temp;
        }
        const DWORD e = ::GetLastError();
        if (e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) {
            errno = win32::errno_of(e);
            return {};
        }
    }
    errno = EEXIST;
    return {};
}

int place_temp_file(TempFile& temp, const std::string& target) {
    Registry& r = registry();
    int e = 0;
    {
        std::lock_guard guard(r.lock);
        // Renamed while still open, so no sweep can take it first.
        if (r.leaving) {
            e = ECANCELED;
        } else if (!::MoveFileExA(temp.path.c_str(), target.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            e = win32::errno_of(::GetLastError());
        }
        if (e != 0) ::DeleteFileA(temp.path.c_str());
        r.temp_files.erase(temp.path);
    }
    if (temp.handle && !::CloseHandle(temp.handle) && e == 0) e = EIO;
    temp.handle = nullptr;
    return e;
}

void drop_temp_file(TempFile& temp) {
    Registry& r = registry();
    {
        std::lock_guard guard(r.lock);
        // Our handle shares deleting: the file goes when it is closed.
        ::DeleteFileA(temp.path.c_str());
        r.temp_files.erase(temp.path);
    }
    close_quietly(temp);
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

void leave_now(int status) {
    Registry& r = registry();
    // Taken for good in the real program: a thread about to create or place
    // a file waits here until the process is gone.
    r.lock.lock();
    r.leaving = true;
    // Each open file of ours shares deleting: it goes when the process does.
    for (const auto& path : r.temp_files) ::DeleteFileA(path.c_str());
    r.temp_files.clear();
    if (!r.test_end) {
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(status));
        ::ExitProcess(static_cast<UINT>(status));
    }
    const auto end = r.test_end;
    r.lock.unlock();
    end(status);
}

void set_leave_end_for_tests(std::function<void(int)> end) {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    r.test_end = std::move(end);
}

void reset_leaving_for_tests() {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    r.leaving = false;
}

}  // namespace platform
