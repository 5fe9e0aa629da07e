// Names of our own for a picture handed to a desktop: a hard link, or a copy
// where the file lives on another filesystem or cannot be linked.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/desktop/wallpaper_tools.h"
#include "platform/files/files.h"

namespace platform::wallpaper_tools {
namespace {

// The file's extension when it is a dot and a few letters or digits, else "".
std::string plain_extension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot <= slash + 1)) return {};
    const std::string ext = path.substr(dot);
    if (ext.size() < 2 || ext.size() > 6) return {};
    for (std::size_t i = 1; i < ext.size(); ++i) {
        const char c = ext[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return {};
    }
    return ext;
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies a regular file to a new name; false (and nothing left) on failure.
bool copy_file(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    bool ok = ::fstat(in, &st) == 0 && S_ISREG(st.st_mode);
    const int out = ok ? ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644) : -1;
    ok = out >= 0;
    char buf[65536];
    while (ok) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;
        ok = n > 0 && write_all(out, buf, static_cast<std::size_t>(n));
    }
    if (out >= 0 && ::close(out) != 0) ok = false;
    ::close(in);
    if (!ok && out >= 0) ::unlink(to.c_str());
    return ok;
}

}  // namespace

std::string fresh_alias(const std::string& path, const std::string& stem, std::string& previous) {
    previous.clear();
    const std::string ext = plain_extension(path);
    const std::string a = stem + "-a" + ext;
    const std::string b = stem + "-b" + ext;
    // The alias made last time is the one the desktop shows: make the other.
    const bool a_in_use = ::access(a.c_str(), F_OK) == 0;
    const std::string& next = a_in_use ? b : a;
    const auto slash = next.find_last_of('/');
    if (slash != std::string::npos) make_folders(next.substr(0, slash));
    ::unlink(next.c_str());
    // A picture that is itself a symbolic link is linked at its target.
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, next.c_str(), AT_SYMLINK_FOLLOW) != 0 &&
        !copy_file(path, next))
        return {};
    previous = a_in_use ? a : b;
    return next;
}

}  // namespace platform::wallpaper_tools
