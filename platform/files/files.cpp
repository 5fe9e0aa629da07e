// Files and folders over POSIX calls, with paths as byte strings.
#include "platform/files/files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/error.h"
#include "platform/core/file_calls.h"
#include "platform/core/leaving.h"
#include "platform/files/name_rules.h"
#include "platform/files/start_folder.h"
#include "words/catalogue.h"

namespace platform {
namespace {

using name_rules::name_less;
using name_rules::refuse_name;

std::string reason(int error_number) { return std::strerror(error_number); }

enum class EntryKind { File, Folder, Other };

// What a folder entry is, following symbolic links.
EntryKind entry_kind(int dir_fd, const dirent* entry) {
    switch (entry->d_type) {
        case DT_REG: return EntryKind::File;
        case DT_DIR: return EntryKind::Folder;
        case DT_LNK:
        case DT_UNKNOWN: break;
        default: return EntryKind::Other;
    }
    struct stat st {};
    if (::fstatat(dir_fd, entry->d_name, &st, 0) != 0) return EntryKind::Other;
    if (S_ISREG(st.st_mode)) return EntryKind::File;
    if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
    return EntryKind::Other;
}

// The visible entries of one kind in a folder, sorted.
template <class Keep>
std::vector<std::string> list_entries(const std::string& folder, EntryKind kind, Keep keep) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        const int e = errno;
        throw Error(err::kPathNotFound, words::kFolderCannotBeRead, {display_text(folder), reason(e)});
    }
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            const int e = errno;
            ::closedir(dir);
            if (e != 0) {
                throw Error(err::kPathNotFound, words::kFolderCannotBeRead, {display_text(folder), reason(e)});
            }
            break;
        }
        if (entry->d_name[0] == '.') continue;
        if (entry_kind(::dirfd(dir), entry) != kind) continue;
        std::string name(entry->d_name);
        if (keep(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), name_less);
    return names;
}

std::string parent_of_path(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string last_part(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why the kernel found a path too long: its last part, or the whole of it.
[[noreturn]] void refuse_long_name(const std::string& new_path) {
    const std::string name = last_part(new_path);
    const std::size_t slash = new_path.find_last_of('/');
    const std::string folder = slash == std::string::npos || slash == 0 ? "/" : new_path.substr(0, slash);
    const long most = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (most > 0 && name.size() > static_cast<std::size_t>(most)) {
        refuse_name(name, words::say(words::kNameTooLong, {std::to_string(name.size()), std::to_string(most)}));
    }
    refuse_name(name, words::say(words::kPathTooLong));
}

void check_new_name(const std::string& new_path) { name_rules::check_new_name(last_part(new_path)); }

bool exists_no_follow(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

[[noreturn]] void throw_rename_error(int e, const std::string& old_path, const std::string& new_path) {
    const auto refused = [&](int number, const std::string& why) {
        return Error(number, words::kCannotRename, {display_text(old_path), display_text(new_path), why});
    };
    switch (e) {
        case EEXIST:
        case ENOTEMPTY:
            throw refused(err::kFileExists, words::say(words::kNameTaken));
        case ENOENT:
        case ENOTDIR:
            if (!exists_no_follow(old_path)) throw refused(err::kFileNotFound, reason(e));
            throw refused(err::kPathNotFound, words::say(words::kNewFolderMissing));
        case EACCES:
        case EPERM:
            throw refused(err::kPermissionDenied, reason(e));
        case EXDEV:
            throw refused(err::kRenameAcrossDrives, words::say(words::kAcrossDrives));
        case ENAMETOOLONG:
            refuse_long_name(new_path);
        default:
            throw refused(err::kPathFileAccess, reason(e));
    }
}

// For filesystems that refuse RENAME_NOREPLACE: a hard link fails when the
// new name is taken, so no file is ever replaced.
void rename_by_link(const std::string& old_path, const std::string& new_path) {
    if (file_calls::link(old_path.c_str(), new_path.c_str()) != 0) {
        const int e = errno;
        if (e == EPERM || e == EOPNOTSUPP) {
            throw Error(err::kPathFileAccess, words::kCannotRename,
                        {display_text(old_path), display_text(new_path), words::say(words::kRenameWouldRisk)});
        }
        throw_rename_error(e, old_path, new_path);
    }
    if (file_calls::unlink(old_path.c_str()) != 0) {
        const int e = errno;
        ::unlink(new_path.c_str());  // undo: the file keeps its old name only
        throw_rename_error(e, old_path, new_path);
    }
}

// The file a chain of symbolic links ends at (a relative link counts from
// its own folder); the path itself when it is no link.
std::string link_target(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::string buffer(4096, '\0');
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) return path;
        buffer.resize(static_cast<std::size_t>(n));
        path = buffer[0] == '/' ? buffer : join_path(parent_of_path(path), buffer);
    }
    return path;
}

// Fills the temporary file and flushes it to disk; 0 or the errno of the failure.
int fill_file(int fd, const std::string& replaced_path, const std::string& bytes) {
    // Keep the permissions of the file being replaced; a new file gets 0644.
    struct stat old {};
    const mode_t mode = ::stat(replaced_path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0) return errno;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long n = file_calls::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    if (file_calls::fsync(fd) != 0) return errno;
    return 0;
}

// Earlier versions named their temporary files "<prefix>XXXXXX" and held no
// lock while writing: one untouched for this long has no writer left.
constexpr time_t kLeftoverSeconds = 600;

void sweep_unlocked_leftovers(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix) ||
            !std::all_of(name.end() - 6, name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_mtime < now - kLeftoverSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

}  // namespace

std::string join_path(const std::string& folder, const std::string& name) { return folder + "/" + name; }

std::vector<std::string> list_files(const std::string& folder, const std::string& patterns) {
    return list_entries(folder, EntryKind::File,
                        [&](const std::string& name) { return matches_pattern(name, patterns); });
}

std::vector<std::string> list_subfolders(const std::string& folder) {
    return list_entries(folder, EntryKind::Folder, [](const std::string&) { return true; });
}

bool is_folder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string normalize_folder(const std::string& path) {
    const std::string absolute = (!path.empty() && path[0] == '/') ? path : start_folder() + "/" + path;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= absolute.size()) {
        std::size_t end = absolute.find('/', start);
        if (end == std::string::npos) end = absolute.size();
        const std::string part = absolute.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    if (parts.empty()) return "/";
    std::string result;
    for (const auto& part : parts) result += "/" + part;
    return result;
}

std::string parent_folder(const std::string& folder) {
    const std::size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return folder.substr(0, slash);
}

std::string base_name(const std::string& path) {
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    const std::string trimmed = path.substr(0, end);
    if (trimmed == "/") return "/";
    const std::size_t slash = trimmed.find_last_of('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

void delete_file(const std::string& path) {
    const auto refused = [&](int number, Reason why_kind, const std::string& why) {
        return Error(number, why_kind, words::kCannotDelete, {display_text(path), why});
    };
    const auto failed = [&](int number, int e) { return refused(number, reason_of_number(number), reason(e)); };
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        const int e = errno;
        if (e == ENOENT) throw failed(err::kFileNotFound, e);
        if (e == ENOTDIR) throw failed(err::kPathNotFound, e);
        throw failed(err::kPathFileAccess, e);
    }
    if (S_ISDIR(st.st_mode)) throw refused(err::kPathFileAccess, Reason::NotAFile, words::say(words::kIsFolder));
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        throw refused(err::kPathFileAccess, Reason::NotAFile, words::say(words::kIsNotFile));
    }
    // A symbolic link's own mode bits say nothing; removing it leaves its target alone.
    if (S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) {
        throw refused(err::kPathFileAccess, Reason::ReadOnly, words::say(words::kIsReadOnly));
    }
    if (file_calls::unlink(path.c_str()) != 0) {
        const int e = errno;
        if (e == ENOENT) throw failed(err::kFileNotFound, e);
        if (e == EACCES || e == EPERM) throw failed(err::kPermissionDenied, e);
        throw failed(err::kPathFileAccess, e);
    }
}

void rename_file_no_replace(const std::string& old_path, const std::string& new_path) {
    check_new_name(new_path);
    // The file may have been replaced by a folder since it was chosen.
    struct stat st {};
    if (::lstat(old_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        throw Error(err::kPathFileAccess, Reason::NotAFile, words::kRenamedNowFolder,
                    {shortened_display_text(last_part(old_path))});
    }
    if (file_calls::rename(old_path.c_str(), new_path.c_str(), true) == 0) return;
    const int e = errno;
    if (e == EINVAL || e == ENOSYS) {
        rename_by_link(old_path, new_path);
        return;
    }
    throw_rename_error(e, old_path, new_path);
}

void make_folders(const std::string& folder) {
    if (folder.empty() || is_folder(folder)) return;
    make_folders(parent_of_path(folder));
    ::mkdir(folder.c_str(), 0777);
}

int try_write_file_atomically(const std::string& path, const std::string& bytes, std::string* why) {
    // A symbolic link the user set up (a store kept in a dotfiles folder)
    // stays: its target is replaced, in the target's own folder.
    const std::string target = link_target(path);
    const std::string folder = parent_of_path(target);
    const auto fail = [&](int e, const words::Text* text = nullptr) {
        if (why) *why = text ? words::say(*text) : reason(e);
        return e;
    };
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return fail(EINVAL, &words::kIsNotRegularFile);
        // As for delete: no write bit for anyone means read-only, even for root.
        if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
            return fail(EACCES, &words::kIsReadOnly);
    }
    make_folders(folder);
    // Recorded while it lives, so that ending the program removes it.
    TempFile temp = create_temp_file(join_path(folder, "." + base_name(target)));
    if (temp.fd < 0) return fail(errno);
    if (const int e = fill_file(temp.fd, target, bytes); e != 0) {
        drop_temp_file(temp);
        return fail(e);
    }
    if (const int e = place_temp_file(temp, target); e != 0) return fail(e);
    // Make the rename itself durable.
    const int dir_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd >= 0) {
        ::fsync(dir_fd);
        ::close(dir_fd);
    }
    return 0;
}

void sweep_stale_temp_files_beside(const std::string& path) {
    const std::string target = link_target(path);
    sweep_temp_files(parent_of_path(target));
    sweep_unlocked_leftovers(parent_of_path(target), "." + base_name(target) + ".");
}

void write_file_atomically(const std::string& path, const std::string& bytes) {
    std::string why;
    if (try_write_file_atomically(path, bytes, &why) != 0)
        throw Error(err::kPathFileAccess, words::kCannotWrite, {display_text(path), why});
}

}  // namespace platform
