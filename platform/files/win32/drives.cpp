// Drive letters, their labels, and the folder last shown on each drive.
#include "platform/files/drives.h"

#include <windows.h>


#include "platform/core/ascii.h"
#include "platform/core/error.h"
#include "platform/files/drive_folders_system.h"
#include "platform/core/win32/system_error.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"

namespace platform {
namespace {

// "C:\" for any path on drive C; empty for one without a drive letter.
std::string root_of(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return {};
    const char letter = upper_ascii(path[0]);
    if (letter < 'A' || letter > 'Z') return {};
    return std::string(1, letter) + ":\\";
}

// The volume's label; empty when it has none or holds no medium. The
// system's "insert a disk" box is kept away.
std::string label_of(const std::string& root) {
    DWORD old_mode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_mode);
    char label[MAX_PATH + 1] = {};
    const bool ok = ::GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0);
    ::SetThreadErrorMode(old_mode, nullptr);
    return ok ? std::string(label) : std::string();
}

// 0 when the folder can be listed (an empty drive root included), else why not.
DWORD listing_error(const std::string& folder) {
    DWORD old_mode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_mode);
    WIN32_FIND_DATAA found;
    const std::string pattern = folder.back() == '\\' ? folder + "*" : folder + "\\*";
    const HANDLE find = ::FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    const DWORD e = find == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    ::SetThreadErrorMode(old_mode, nullptr);
    return e == ERROR_FILE_NOT_FOUND ? 0 : e;
}

}  // namespace

std::string Drive::spelled() const {
    const std::string letter = lower_ascii(mount_point.substr(0, 2));
    return label.empty() ? letter : letter + " [" + label + "]";
}

std::vector<Drive> read_drives(const std::string& /*mount_table_path*/) {
    std::vector<Drive> drives;
    char roots[26 * 4 + 1] = {};
    const DWORD n = ::GetLogicalDriveStringsA(sizeof roots, roots);
    if (n == 0 || n >= sizeof roots) return drives;
    for (const char* root = roots; *root; root += std::char_traits<char>::length(root) + 1) {
        const std::string mount_point = root_of(root);
        if (!mount_point.empty()) drives.push_back(Drive{mount_point, label_of(mount_point)});
    }
    return drives;
}

std::optional<Drive> parse_drive(const std::string& spelled) {
    const std::string mount_point = root_of(spelled);
    if (mount_point.empty()) return std::nullopt;
    if (spelled.size() == 2) return Drive{mount_point, ""};
    if (spelled.size() < 5 || spelled.compare(2, 2, " [") != 0 || spelled.back() != ']') return std::nullopt;
    return Drive{mount_point, spelled.substr(4, spelled.size() - 5)};
}

Drive drive_of(const std::vector<Drive>& drives, const std::string& path) {
    const std::string root = root_of(path);
    for (const Drive& d : drives)
        if (d.mount_point == root) return d;
    return Drive{root.empty() ? root_of(start_folder()) : root, ""};
}

std::string detail::unlistable_reason(const std::string& folder) {
    const DWORD e = listing_error(folder);
    return e == 0 ? std::string() : win32::system_message(e);
}

bool detail::drive_holds(const Drive& drive, const std::string& folder) { return root_of(folder) == drive.mount_point; }

}  // namespace platform
