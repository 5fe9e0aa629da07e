// Temporary files and leaving at once on Linux: the file's lock (flock)
// tells a living writer's file from a left-over one.
#include "platform/core/leaving.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>

#include "platform/core/file_calls.h"
#include "platform/core/temp_file_record.h"

namespace platform {
namespace {

// The tool groups started, kept under the record's lock.
std::set<pid_t>& groups() {
    static auto* g = new std::set<pid_t>;
    return *g;
}

void close_quietly(TempFile& temp) {
    if (temp.fd >= 0) ::close(temp.fd);
    temp.fd = -1;
}

}  // namespace

bool detail::open_new_temp_file(const std::string& prefix, TempFile& out) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp{-1, prefix + std::string(kTempMarker) + std::string(kTempRandom, 'X')};
        temp.fd = ::mkostemp(temp.path.data(), O_CLOEXEC);
        if (temp.fd < 0) return false;
        // A sweep by another instance may have taken the file between its
        // creation and our lock: then it is gone, and another name is tried.
        struct stat st {};
        const bool known = ::flock(temp.fd, LOCK_EX) == 0 && ::fstat(temp.fd, &st) == 0;
        if (known && st.st_nlink > 0) {
            out = std::move(temp);
            return true;
        }
        const int e = errno;
        if (!known) ::unlink(temp.path.c_str());
        close_quietly(temp);
        if (!known) {
            errno = e;
            return false;
        }
    }
    errno = EAGAIN;
    return false;
}

// Renamed while still locked, so no sweep can take it first.
int detail::rename_temp_file(const TempFile& temp, const std::string& target) {
    return file_calls::rename(temp.path.c_str(), target.c_str()) == 0 ? 0 : errno;
}

void detail::remove_temp_file(const std::string& path) { ::unlink(path.c_str()); }

int detail::close_temp_file(TempFile& temp) {
    const int e = temp.fd >= 0 && ::close(temp.fd) != 0 ? errno : 0;
    temp.fd = -1;
    return e;
}

void detail::end_tracked_tools() {
    for (const pid_t group : groups()) ::kill(-group, SIGKILL);
    groups().clear();
}

void detail::end_process_now(int status) { ::_exit(status); }

void sweep_temp_files(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const int dir_fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!is_temp_file_name(entry->d_name)) continue;
        const int fd = ::openat(dir_fd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        // Its writer holds the lock while it lives; the name must still be
        // the file locked, not one made since.
        struct stat held {}, named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
            ::fstatat(dir_fd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino && S_ISREG(held.st_mode))
            ::unlinkat(dir_fd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

pid_t spawn_tracked_group(const std::function<pid_t()>& spawn) {
    detail::LeavingRecord& r = detail::leaving_record();
    std::lock_guard guard(r.lock);
    if (r.leaving) return -1;
    const pid_t group = spawn();
    if (group > 0) groups().insert(group);
    return group;
}

void forget_process_group(pid_t group) {
    detail::LeavingRecord& r = detail::leaving_record();
    std::lock_guard guard(r.lock);
    groups().erase(group);
}

}  // namespace platform
