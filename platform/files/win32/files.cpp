// Files and folders over the narrow Win32 calls. Paths are the program's
// narrow strings; '\' and '/' both separate, '\' is what we write.
#include "platform/files/files.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/core/ascii.h"
#include "platform/core/error.h"
#include "platform/core/leaving.h"
#include "platform/core/win32/system_error.h"
#include "platform/files/name_rules.h"
#include "platform/files/start_folder.h"
#include "words/catalogue.h"

namespace platform {
namespace {

using name_rules::refuse_name;

bool is_separator(char c) { return c == '\\' || c == '/'; }

std::string reason(DWORD code) { return win32::system_message(code); }

// "C:" or "\\server\share": the part of an absolute path before its root
// separator; empty for a path that is not absolute.
std::string root_prefix(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return std::string(1, upper_ascii(path[0])) + ":";
    if (path.size() > 2 && is_separator(path[0]) && is_separator(path[1])) {
        const auto separator_from = [&](std::size_t from) {
            const std::size_t at = path.find_first_of("\\/", from);
            return at == std::string::npos ? path.size() : at;
        };
        const std::size_t server_end = separator_from(2);
        const std::size_t share_end = server_end < path.size() ? separator_from(server_end + 1) : path.size();
        std::string prefix = path.substr(0, share_end);
        std::replace(prefix.begin(), prefix.end(), '/', '\\');
        return prefix;
    }
    return {};
}

std::string last_part(const std::string& path) {
    const std::size_t sep = path.find_last_of("\\/");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string parent_of_path(const std::string& path) {
    const std::size_t sep = path.find_last_of("\\/");
    if (sep == std::string::npos) return ".";
    const std::string prefix = root_prefix(path);
    if (!prefix.empty() && sep <= prefix.size()) return prefix + "\\";
    return path.substr(0, sep);
}

// The search pattern for every entry of a folder.
std::string every_entry_of(const std::string& folder) {
    return folder.empty() || is_separator(folder.back()) ? folder + "*" : folder + "\\*";
}

// The visible entries of a folder, folders or files, sorted. Hidden and
// system entries are left out, as the classic lists leave them out.
template <class Keep>
std::vector<std::string> list_entries(const std::string& folder, bool folders, Keep keep) {
    WIN32_FIND_DATAA found;
    const HANDLE find = ::FindFirstFileExA(every_entry_of(folder).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    std::vector<std::string> names;
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD e = ::GetLastError();
        // An empty drive root has not even "." and "..".
        if (e == ERROR_FILE_NOT_FOUND) return names;
        throw Error(err::kPathNotFound, words::kFolderCannotBeRead, {display_text(folder), reason(e)});
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        if (((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folders) continue;
        if (keep(name)) names.push_back(name);
    } while (::FindNextFileA(find, &found));
    const DWORD e = ::GetLastError();
    ::FindClose(find);
    if (e != ERROR_NO_MORE_FILES)
        throw Error(err::kPathNotFound, words::kFolderCannotBeRead, {display_text(folder), reason(e)});
    std::sort(names.begin(), names.end(), name_rules::name_less);
    return names;
}

// Names Windows keeps for its devices, whatever extension follows.
bool is_device_name(const std::string& name) {
    const std::string stem = upper_ascii(name.substr(0, name.find('.')));
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' &&
           stem[3] <= '9';
}

// The shared refusals, and what Windows cannot store or would store under
// another name.
void check_new_name(const std::string& new_path) {
    const std::string name = last_part(new_path);
    name_rules::check_new_name(name);
    for (const char c : std::string_view(":\"<>|")) {
        if (name.find(c) != std::string::npos)
            refuse_name(name, words::say(words::kNameHasWindowsCharacter, {std::string(1, c)}));
    }
    if (name.back() == '.' || name.back() == ' ')
        refuse_name(name, words::say(words::kNameEndsInDotOrSpace));
    if (is_device_name(name)) refuse_name(name, words::say(words::kNameIsDevice));
}

[[noreturn]] void throw_rename_error(DWORD e, const std::string& old_path, const std::string& new_path) {
    const auto refused = [&](int number, const std::string& why) {
        return Error(number, words::kCannotRename, {display_text(old_path), display_text(new_path), why});
    };
    switch (e) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            throw refused(err::kFileExists, words::say(words::kNameTaken));
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            if (::GetFileAttributesA(old_path.c_str()) == INVALID_FILE_ATTRIBUTES)
                throw refused(err::kFileNotFound, reason(e));
            throw refused(err::kPathNotFound, words::say(words::kNewFolderMissing));
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            throw refused(err::kPermissionDenied, reason(e));
        case ERROR_NOT_SAME_DEVICE:
            throw refused(err::kRenameAcrossDrives, words::say(words::kAcrossDrives));
        case ERROR_FILENAME_EXCED_RANGE:
            refuse_name(last_part(new_path), words::say(words::kPathTooLong));
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            refuse_name(last_part(new_path), words::say(words::kNameNotAccepted));
        default:
            throw refused(err::kPathFileAccess, reason(e));
    }
}

// Writes every byte and flushes them to the disk; 0 or the code of the failure.
DWORD fill_file(HANDLE h, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data() + done, chunk, &written, nullptr)) return ::GetLastError();
        done += written;
    }
    return ::FlushFileBuffers(h) ? 0 : ::GetLastError();
}

}  // namespace

std::string join_path(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

std::vector<std::string> list_files(const std::string& folder, const std::string& patterns) {
    return list_entries(folder, false, [&](const std::string& name) { return matches_pattern(name, patterns); });
}

std::vector<std::string> list_subfolders(const std::string& folder) {
    return list_entries(folder, true, [](const std::string&) { return true; });
}

bool is_folder(const std::string& path) {
    const DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string normalize_folder(const std::string& path) {
    std::string prefix = root_prefix(path);
    std::string rest = path.substr(prefix.size());
    if (prefix.empty()) {
        // "\pics" is on the start folder's drive; "pics" below the start folder.
        const std::string start = start_folder();
        prefix = root_prefix(start);
        if (rest.empty() || !is_separator(rest[0])) rest = start.substr(prefix.size()) + "\\" + rest;
    }
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= rest.size()) {
        std::size_t end = rest.find_first_of("\\/", at);
        if (end == std::string::npos) end = rest.size();
        const std::string part = rest.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string result = prefix;
    for (const auto& part : parts) result += "\\" + part;
    return parts.empty() ? result + "\\" : result;
}

std::string parent_folder(const std::string& folder) {
    const std::string prefix = root_prefix(folder);
    const std::size_t sep = folder.find_last_of("\\/");
    if (sep == std::string::npos || sep <= prefix.size()) return prefix.empty() ? folder : prefix + "\\";
    return folder.substr(0, sep);
}

std::string base_name(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && is_separator(trimmed.back())) trimmed.pop_back();
    // A drive's root is its own name.
    if (trimmed == root_prefix(path)) return trimmed + "\\";
    return last_part(trimmed);
}

void delete_file(const std::string& path) {
    const auto refused = [&](int number, Reason why_kind, const std::string& why) {
        return Error(number, why_kind, words::kCannotDelete, {display_text(path), why});
    };
    const auto failed = [&](int number, DWORD e) { return refused(number, reason_of_number(number), reason(e)); };
    const DWORD a = ::GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND) throw failed(err::kFileNotFound, e);
        if (e == ERROR_PATH_NOT_FOUND) throw failed(err::kPathNotFound, e);
        throw failed(err::kPathFileAccess, e);
    }
    if (a & FILE_ATTRIBUTE_DIRECTORY)
        throw refused(err::kPathFileAccess, Reason::NotAFile, words::say(words::kIsFolder));
    if (a & FILE_ATTRIBUTE_READONLY)
        throw refused(err::kPathFileAccess, Reason::ReadOnly, words::say(words::kIsReadOnly));
    if (!::DeleteFileA(path.c_str())) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND) throw failed(err::kFileNotFound, e);
        if (e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION) throw failed(err::kPermissionDenied, e);
        throw failed(err::kPathFileAccess, e);
    }
}

void rename_file_no_replace(const std::string& old_path, const std::string& new_path) {
    check_new_name(new_path);
    // The file may have been replaced by a folder since it was chosen.
    const DWORD a = ::GetFileAttributesA(old_path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
        throw Error(err::kPathFileAccess, Reason::NotAFile, words::kRenamedNowFolder,
                    {shortened_display_text(last_part(old_path))});
    }
    // Without MOVEFILE_REPLACE_EXISTING a taken name fails, and without
    // MOVEFILE_COPY_ALLOWED so does another drive.
    if (!::MoveFileExA(old_path.c_str(), new_path.c_str(), 0))
        throw_rename_error(::GetLastError(), old_path, new_path);
}

void make_folders(const std::string& folder) {
    if (folder.empty() || is_folder(folder) || folder == root_prefix(folder)) return;
    const std::string parent = parent_of_path(folder);
    if (parent != folder) make_folders(parent);
    ::CreateDirectoryA(folder.c_str(), nullptr);
}

int try_write_file_atomically(const std::string& path, const std::string& bytes, std::string* why) {
    const std::string folder = parent_of_path(path);
    const auto fail = [&](int e, const std::string& text) {
        if (why) *why = text;
        return e;
    };
    const DWORD a = ::GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) {
        if (a & FILE_ATTRIBUTE_DIRECTORY) return fail(EINVAL, words::say(words::kIsNotRegularFile));
        if (a & FILE_ATTRIBUTE_READONLY) return fail(EACCES, words::say(words::kIsReadOnly));
    }
    make_folders(folder);
    // Recorded while it lives, so that ending the program removes it.
    TempFile temp = create_temp_file(join_path(folder, "." + base_name(path)));
    if (!temp.handle) {
        const int e = errno;
        return fail(e, e == ECANCELED ? words::say(words::kProgramEnding) : reason(::GetLastError()));
    }
    if (const DWORD e = fill_file(temp.handle, bytes); e != 0) {
        drop_temp_file(temp);
        return fail(win32::errno_of(e), reason(e));
    }
    if (const int e = place_temp_file(temp, path); e != 0)
        return fail(e, e == ECANCELED ? words::say(words::kProgramEnding) : reason(::GetLastError()));
    return 0;
}

void sweep_stale_temp_files_beside(const std::string& path) { sweep_temp_files(parent_of_path(path)); }

void write_file_atomically(const std::string& path, const std::string& bytes) {
    std::string why;
    if (try_write_file_atomically(path, bytes, &why) != 0)
        throw Error(err::kPathFileAccess, words::kCannotWrite, {display_text(path), why});
}

}  // namespace platform
