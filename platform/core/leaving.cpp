#include "platform/core/leaving.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

namespace platform {
namespace {

// One lock over both records and the leaving flag: creating and recording,
// or placing and forgetting, is one step that leave_now cannot split.
struct Registry {
    std::mutex lock;
    bool leaving = false;
    std::set<std::string> temp_files;
    std::set<pid_t> groups;
    std::function<void(int)> test_end;
};

Registry& registry() {
    // Never destroyed: exit() may run while other threads still use it.
    static Registry* r = new Registry;
    return *r;
}

void close_quietly(TempFile& temp) {
    if (temp.fd >= 0) ::close(temp.fd);
    temp.fd = -1;
}

}  // namespace

TempFile create_temp_file(const std::string& prefix) {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.leaving) {
        errno = ECANCELED;
        return {};
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp{-1, prefix + std::string(kTempMarker) + std::string(kTempRandom, 'X')};
        temp.fd = ::mkostemp(temp.path.data(), O_CLOEXEC);
        if (temp.fd < 0) return {};
        // A sweep by another instance may have taken the file between its
        // creation and our lock: then it is gone, and another name is tried.
        struct stat st {};
        const bool known = ::flock(temp.fd, LOCK_EX) == 0 && ::fstat(temp.fd, &st) == 0;
        if (known && st.st_nlink > 0) {
            r.temp_files.insert(temp.path);
            return temp;
        }
        const int e = errno;
        if (!known) ::unlink(temp.path.c_str());
        close_quietly(temp);
        if (!known) {
            errno = e;
            return {};
        }
    }
    errno = EAGAIN;
    return {};
}

int place_temp_file(TempFile& temp, const std::string& target) {
    Registry& r = registry();
    int e = 0;
    {
        std::lock_guard guard(r.lock);
        // Renamed while still open and locked, so no sweep can take it first.
        if (r.leaving) {
            e = ECANCELED;
        } else if (::rename(temp.path.c_str(), target.c_str()) != 0) {
            e = errno;
        }
        if (e != 0) ::unlink(temp.path.c_str());
        r.temp_files.erase(temp.path);
    }
    if (temp.fd >= 0 && ::close(temp.fd) != 0 && e == 0) e = errno;
    temp.fd = -1;
    return e;
}

void drop_temp_file(TempFile& temp) {
    Registry& r = registry();
    {
        std::lock_guard guard(r.lock);
        ::unlink(temp.path.c_str());
        r.temp_files.erase(temp.path);
    }
    close_quietly(temp);
}

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
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.leaving) return -1;
    const pid_t group = spawn();
    if (group > 0) r.groups.insert(group);
    return group;
}

void forget_process_group(pid_t group) {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    r.groups.erase(group);
}

void leave_now(int status) {
    Registry& r = registry();
    // Taken for good in the real program: a thread about to create or place
    // a file or start a tool waits here until the process is gone.
    r.lock.lock();
    r.leaving = true;
    for (const auto& path : r.temp_files) ::unlink(path.c_str());
    r.temp_files.clear();
    for (const pid_t group : r.groups) ::kill(-group, SIGKILL);
    r.groups.clear();
    if (!r.test_end) ::_exit(status);
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
