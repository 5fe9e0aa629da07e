// Drives from the mount table, and the folder last shown on each drive.
#include "platform/files/drives.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include <dirent.h>
#include <sys/stat.h>

#include "platform/core/error.h"
#include "platform/files/drive_folders_system.h"
#include "platform/files/files.h"
#include "platform/core/services.h"
#include "platform/files/start_folder.h"
#include "words/catalogue.h"

namespace platform {
namespace {

// Filesystems a person keeps files on. Everything else (proc, sysfs, cgroup,
// tmpfs, squashfs images, ...) is left out.
constexpr std::array<std::string_view, 32> kRealFilesystems = {
    "ext2",  "ext3",  "ext4",    "xfs",     "btrfs",    "vfat",      "msdos",      "exfat",
    "ntfs",  "ntfs3", "fuseblk", "iso9660", "udf",      "nfs",       "nfs4",       "cifs",
    "smb3",  "smbfs", "f2fs",    "zfs",     "9p",       "virtiofs",  "vboxsf",     "hfs",
    "hfsplus", "jfs", "reiserfs", "nilfs2", "bcachefs", "fuse.sshfs", "fuse.rclone", "ceph",
};

bool is_under(std::string_view path, std::string_view folder) {
    return path == folder || (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
                              (folder == "/" || path[folder.size()] == '/'));
}

bool is_system_area(std::string_view mount_point) {
    if (is_under(mount_point, "/run/media")) return false;
    for (const std::string_view area : {"/proc", "/sys", "/dev", "/run", "/snap"}) {
        if (is_under(mount_point, area)) return true;
    }
    return false;
}

bool keeps_files(const std::string& fstype, const std::string& mount_point) {
    if (mount_point == "/") return true;
    return std::find(kRealFilesystems.begin(), kRealFilesystems.end(), fstype) != kRealFilesystems.end();
}

// Mount table fields escape space, tab, newline and backslash as \ooo.
std::string decode_octal(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits(field.data() + i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) | (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::string label_for(const std::string& mount_point) {
    return mount_point == "/" ? words::say(words::kSystemDrive) : base_name(mount_point);
}

constexpr std::array<std::string_view, 8> kNetworkFilesystems = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ceph", "fuse.sshfs", "fuse.rclone",
};

// A bind mount of a single file (a container's /etc/hosts) is no drive.
// Network mounts are not looked at: a server that is gone would hang stat().
bool is_file_mount(const std::string& fstype, const std::string& mount_point) {
    if (std::find(kNetworkFilesystems.begin(), kNetworkFilesystems.end(), fstype) != kNetworkFilesystems.end()) {
        return false;
    }
    struct stat st {};
    return ::stat(mount_point.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace

std::string detail::unlistable_reason(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::strerror(errno);
    ::closedir(dir);
    return {};
}

// Judged by the mount table in force: a folder under /home is on the /home
// drive, not on "/".
bool detail::drive_holds(const Drive& drive, const std::string& folder) {
    if (!is_under(folder, drive.mount_point)) return false;
    return drive_of(read_drives(services().mount_table_path), folder).mount_point == drive.mount_point;
}

std::string Drive::spelled() const { return mount_point + " [" + label + "]"; }

std::vector<Drive> read_drives(const std::string& mount_table_path) {
    std::vector<Drive> drives;
    std::ifstream table(mount_table_path);
    std::string line;
    while (table && std::getline(table, line)) {
        std::istringstream fields(line);
        std::string device, mount_field, fstype;
        if (!(fields >> device >> mount_field >> fstype)) continue;
        const std::string mount_point = decode_octal(mount_field);
        if (mount_point.empty() || mount_point[0] != '/') continue;
        if (mount_point != "/" && (is_system_area(mount_point) || !keeps_files(fstype, mount_point) ||
                                   is_file_mount(fstype, mount_point))) {
            continue;
        }
        // A mount point mounted again hides the earlier mount: keep the last.
        const auto same = std::find_if(drives.begin(), drives.end(),
                                       [&](const Drive& d) { return d.mount_point == mount_point; });
        if (same != drives.end()) drives.erase(same);
        drives.push_back(Drive{mount_point, label_for(mount_point)});
    }
    // The root is always there, even when the table cannot be read.
    if (std::none_of(drives.begin(), drives.end(), [](const Drive& d) { return d.mount_point == "/"; })) {
        drives.push_back(Drive{"/", words::say(words::kSystemDrive)});
    }
    std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) {
        if ((a.mount_point == "/") != (b.mount_point == "/")) return a.mount_point == "/";
        return a.mount_point < b.mount_point;
    });
    return drives;
}

std::optional<Drive> parse_drive(const std::string& spelled) {
    if (spelled.size() < 4 || spelled.back() != ']') return std::nullopt;
    const std::size_t last = spelled.rfind(" [");
    if (last == std::string::npos || last == 0) return std::nullopt;
    // A mount point may itself hold " [": prefer the split whose label is the
    // one the mount point would be given.
    for (std::size_t at = last; at != std::string::npos && at > 0; at = spelled.rfind(" [", at - 1)) {
        Drive d{spelled.substr(0, at), spelled.substr(at + 2, spelled.size() - at - 3)};
        if (d.mount_point[0] == '/' && d.label == label_for(d.mount_point)) return d;
    }
    Drive d{spelled.substr(0, last), spelled.substr(last + 2, spelled.size() - last - 3)};
    if (d.mount_point[0] != '/') return std::nullopt;
    return d;
}

Drive drive_of(const std::vector<Drive>& drives, const std::string& path) {
    const Drive* best = nullptr;
    for (const Drive& d : drives) {
        if (is_under(path, d.mount_point) && (!best || d.mount_point.size() > best->mount_point.size())) best = &d;
    }
    return best ? *best : Drive{"/", words::say(words::kSystemDrive)};
}

}  // namespace platform
