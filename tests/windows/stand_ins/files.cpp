// Stand-ins for the Windows files and drives layer, linked only while it is
// not in this build: just enough for the controls' tests (a folder's files
// and sub-folders, drive letters, paths).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/core/error.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"

namespace platform {
namespace {

bool matches_one(const char* name, const char* mask) {
    if (!*mask) return !*name;
    if (*mask == '*') return matches_one(name, mask + 1) || (*name && matches_one(name + 1, mask));
    if (!*name) return false;
    const bool same = *mask == '?' || std::toupper(static_cast<unsigned char>(*mask)) ==
                                          std::toupper(static_cast<unsigned char>(*name));
    return same && matches_one(name + 1, mask + 1);
}

std::vector<std::string> entries(const std::string& folder, bool folders) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) throw Error(err::kPathNotFound, "Path not found");
    std::vector<std::string> names;
    do {
        const bool is_dir = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const std::string n = found.cFileName;
        if (is_dir == folders && n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    return names;
}

std::map<std::string, std::string>& folders_on_drives() {
    static std::map<std::string, std::string> m;
    return m;
}

}  // namespace

std::string join_path(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

bool matches_pattern(std::string_view name, std::string_view patterns) {
    size_t start = 0;
    while (start <= patterns.size()) {
        const size_t end = std::min(patterns.find(';', start), patterns.size());
        if (matches_one(std::string(name).c_str(), std::string(patterns.substr(start, end - start)).c_str())) return true;
        start = end + 1;
    }
    return false;
}

std::vector<std::string> list_files(const std::string& folder, const std::string& patterns) {
    std::vector<std::string> names = entries(folder, false);
    std::erase_if(names, [&](const std::string& n) { return !matches_pattern(n, patterns); });
    return names;
}

std::vector<std::string> list_subfolders(const std::string& folder) { return entries(folder, true); }

bool is_folder(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string normalize_folder(const std::string& path) {
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    std::string f = n ? std::string(full, n) : path;
    while (f.size() > 3 && (f.back() == '\\' || f.back() == '/')) f.pop_back();
    return f;
}

std::string parent_folder(const std::string& folder) {
    const size_t cut = folder.find_last_of("\\/");
    if (cut == std::string::npos || folder.size() <= 3) return folder;
    return cut <= 2 ? folder.substr(0, 3) : folder.substr(0, cut);
}

std::string base_name(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string display_text(const std::string& name) { return name; }

std::vector<Drive> read_drives(const std::string&) {
    char buffer[512] = {};
    GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
    std::vector<Drive> drives;
    for (const char* d = buffer; *d; d += lstrlenA(d) + 1) drives.push_back({d, std::string(1, d[0])});
    return drives;
}

std::optional<Drive> parse_drive(const std::string& spelled) {
    const size_t space = spelled.find(" [");
    if (space == std::string::npos || spelled.back() != ']') return std::nullopt;
    return Drive{spelled.substr(0, space), spelled.substr(space + 2, spelled.size() - space - 3)};
}

Drive drive_of(const std::vector<Drive>& drives, const std::string& path) {
    Drive best;
    for (const auto& d : drives) {
        if (path.size() >= d.mount_point.size() &&
            lstrcmpiA(path.substr(0, d.mount_point.size()).c_str(), d.mount_point.c_str()) == 0 &&
            d.mount_point.size() > best.mount_point.size())
            best = d;
    }
    return best;
}

void remember_folder_on_drive(const Drive& drive, const std::string& folder) {
    folders_on_drives()[drive.mount_point] = folder;
}

std::string current_folder_of_drive(const Drive& drive) {
    auto it = folders_on_drives().find(drive.mount_point);
    return it != folders_on_drives().end() ? it->second : drive.mount_point;
}

std::string start_folder() {
    char here[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, here);
    return n ? normalize_folder(std::string(here, n)) : "C:\\";
}

}  // namespace platform
