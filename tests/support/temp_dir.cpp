#include "support/temp_dir.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace test_support {
namespace {

std::runtime_error os_error(const std::string& what, const std::string& path) {
    return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/glimmerbox-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw os_error("cannot create temporary folder", pattern);
    path_ = pattern;
}

TempDir::~TempDir() { ::nftw(path_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string TempDir::write_file(const std::string& name, const std::string& bytes) const {
    const std::string full = file(name);
    const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw os_error("cannot create", full);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ::close(fd);
            throw os_error("cannot write", full);
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return full;
}

std::string TempDir::make_folder(const std::string& name) const {
    std::string full = file(name);
    for (std::size_t slash = full.find('/', path_.size() + 1); slash != std::string::npos;
         slash = full.find('/', slash + 1)) {
        const std::string part = full.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) throw os_error("cannot create folder", part);
    }
    if (::mkdir(full.c_str(), 0755) != 0 && errno != EEXIST) throw os_error("cannot create folder", full);
    return full;
}

std::string read_file_bytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw os_error("cannot open", path);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            ::close(fd);
            throw os_error("cannot read", path);
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

std::vector<std::string> entries_of(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) throw os_error("cannot list", folder);
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool path_exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace test_support
