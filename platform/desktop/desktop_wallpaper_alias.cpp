// Names of our own for a picture handed to a desktop: a hard link, or a copy
// where the file lives on another filesystem or cannot be linked.
#include "platform/desktop/desktop_wallpaper_alias.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/core/leaving.h"
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

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool room_for(const std::string& folder, std::uint64_t bytes, std::uint64_t spare) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0) return false;
    return std::uint64_t(fs.f_bavail) * fs.f_frsize >= bytes + spare;
}

// Copies a regular file to a new name, private to the user: refused when
// larger than any picture we show or when it would nearly fill the disk,
// written as a temporary file and renamed, so nothing partial remains.
bool copy_file(const std::string& from, const std::string& to, const CopyLimits& limits) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return false;
    const std::uint64_t most = limits.max_bytes;
    struct stat st {};
    bool ok = ::fstat(in, &st) == 0 && S_ISREG(st.st_mode) && std::uint64_t(st.st_size) <= most &&
              room_for(folder_of(to), std::uint64_t(st.st_size), limits.spare_bytes);
    TempFile out;
    if (ok) {
        out = create_temp_file(to);  // mode 0600
        ok = out.fd >= 0;
    }
    std::uint64_t copied = 0;
    char buf[65536];
    while (ok) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;
        copied += n > 0 ? std::uint64_t(n) : 0;
        // The file may grow while it is copied.
        ok = n > 0 && copied <= most && write_all(out.fd, buf, static_cast<std::size_t>(n));
    }
    ::close(in);
    if (out.fd < 0) return false;
    if (ok) return place_temp_file(out, to) == 0;
    drop_temp_file(out);
    return false;
}

// Our alias names: a dot, lower-case letters, "-a" or "-b", and a plain
// extension or none (".wallpaper-a.bmp", ".preview-b.bmp").
bool is_alias_name(const std::string& name) {
    const auto dash = name.find('-');
    if (name.size() < 4 || name[0] != '.' || dash == std::string::npos || dash < 2) return false;
    for (std::size_t i = 1; i < dash; ++i)
        if (name[i] < 'a' || name[i] > 'z') return false;
    if (dash + 1 >= name.size() || (name[dash + 1] != 'a' && name[dash + 1] != 'b')) return false;
    const std::string ext = name.substr(dash + 2);
    return ext.empty() || plain_extension(ext) == ext;
}

struct Alias {
    std::string path;
    char letter = 0;
    struct timespec made {};
};

std::vector<Alias> aliases_in(const std::string& folder) {
    std::vector<Alias> out;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return out;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (!is_alias_name(name) || ::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        out.push_back({join_path(folder, name), name[name.find('-') + 1], st.st_ctim});
    }
    ::closedir(dir);
    return out;
}

bool made_before(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

}  // namespace

std::string fresh_alias(const std::string& path, const std::string& stem, std::string& previous,
                        const CopyLimits& limits) {
    previous.clear();
    const std::string folder = folder_of(stem);
    make_folders(folder);
    // The alias made last is the one the desktop shows; any other is left
    // from an earlier picture (another extension, a switch cut short) and goes.
    const std::vector<Alias> aliases = aliases_in(folder);
    const Alias* shown = nullptr;
    for (const Alias& a : aliases)
        if (!shown || made_before(shown->made, a.made)) shown = &a;
    for (const Alias& a : aliases)
        if (&a != shown) ::unlink(a.path.c_str());
    const std::string next = stem + (shown && shown->letter == 'a' ? "-b" : "-a") + plain_extension(path);
    ::unlink(next.c_str());
    // A picture that is itself a symbolic link is linked at its target.
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, next.c_str(), AT_SYMLINK_FOLLOW) != 0 &&
        !copy_file(path, next, limits))
        return {};
    if (shown) previous = shown->path;
    return next;
}

void drop_aliases(const std::string& folder) {
    for (const Alias& a : aliases_in(folder)) ::unlink(a.path.c_str());
}

}  // namespace platform::wallpaper_tools
