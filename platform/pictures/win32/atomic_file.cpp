#include "platform/pictures/win32/atomic_file.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/pictures/win32/picture_file.h"

namespace platform::win32 {
namespace {

[[noreturn]] void cannot_write(const std::string& path, DWORD code) {
    throw Error(err::kPathFileAccess,
                "The file " + display_text(path) + " cannot be written: " + system_text(code));
}

// ".NAME.glimmerbox-tmp.PID-N" beside the path: unique in this process and
// among processes.
std::string temporary_beside(const std::string& path) {
    static std::atomic<unsigned> count{0};
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, name) + "." + path.substr(name) + ".glimmerbox-tmp." +
           std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count);
}

}  // namespace

void write_file_replacing(const std::string& path, const std::string& bytes) {
    // A read-only file stays as it is: the move would replace it.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        cannot_write(path, ERROR_ACCESS_DENIED);
    const std::string temporary = temporary_beside(path);
    const HANDLE file =
        ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) cannot_write(path, ::GetLastError());
    std::size_t written = 0;
    bool ok = true;
    while (ok && written < bytes.size()) {
        DWORD n = 0;
        const DWORD ask = DWORD(std::min<std::size_t>(bytes.size() - written, 1u << 30));
        ok = ::WriteFile(file, bytes.data() + written, ask, &n, nullptr) && n > 0;
        written += n;
    }
    ok = ok && ::FlushFileBuffers(file);
    DWORD code = ok ? 0 : ::GetLastError();
    ::CloseHandle(file);
    if (ok &&
        !::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        code = ::GetLastError();
    }
    if (!ok) {
        ::DeleteFileA(temporary.c_str());
        cannot_write(path, code);
    }
}

}  // namespace platform::win32
