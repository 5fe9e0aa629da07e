#pragma once
// Files and folders as byte strings from end to end: names that are not valid
// UTF-8, or hold newlines, quotes, '#', '%' or a leading dash, work like any
// other. Every failure throws platform::Error. On Windows the names are
// narrow strings in the process's code page (UTF-8), over the ...A calls.
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Folder, one '/', name: no test for a trailing separator, so at the root the
// path holds "//", which POSIX accepts. On Windows one '\' (at a drive
// root "C:\\x", which Windows accepts too).
std::string join_path(const std::string& folder, const std::string& name);

// True when the name matches one of the ';'-separated wildcard masks
// ('*' any run, '?' one byte), compared without regard to ASCII case.
bool matches_pattern(std::string_view name, std::string_view patterns);

// Regular files of a folder whose names match the patterns, hidden (dot)
// files left out, sorted without regard to case. On Windows entries with the
// hidden or system attribute are left out instead. Throws 76 when the folder
// cannot be read.
std::vector<std::string> list_files(const std::string& folder, const std::string& patterns);

// Sub-folders of a folder, hidden ones left out, sorted without regard to case.
std::vector<std::string> list_subfolders(const std::string& folder);

// True when the path names an existing folder.
bool is_folder(const std::string& path);

// The path made absolute (a relative one is taken from the start folder)
// and free of "." and ".." parts and of doubled or
// trailing separators (except the root "/"); symbolic links are kept.
std::string normalize_folder(const std::string& path);

// The parent of a normalized folder; "/" for "/".
std::string parent_folder(const std::string& folder);

// The last part of a path.
std::string base_name(const std::string& path);

// Deletes a file at once and for good. A file whose permission bits grant
// write to nobody (on Windows: with the read-only attribute) counts as
// read-only and is refused (75), as are a missing
// path (53) and a folder (75).
void delete_file(const std::string& path);

// Renames or moves a file, never replacing an existing one: 58 when the new
// name is taken, 53 when the old file is gone, 76 when the new folder does not
// exist, 70 when permission is lacking, 75 when the old path is a folder, 52
// when the new name is refused ('*', '?' or control characters in its last
// part, empty, "." or "..", too long); the text of 52 says why. On Windows
// also ':', '"', '<', '>', '|', a dot or space at the end and the device
// names (CON, NUL, COM1, ...).
void rename_file_no_replace(const std::string& old_path, const std::string& new_path);

// Appends one code point (at most U+10FFFF) to `out` as UTF-8.
void append_utf8(char32_t code_point, std::string& out);

// Text for showing a name to a person: each byte that is not part of valid
// UTF-8 becomes U+FFFD, so the rest of the name stays readable.
std::string display_text(const std::string& name);

// The same, shortened in the middle to 28 + "\u2026" + 28 UTF-16 units when
// longer than 60, for a name too long to read in a message.
std::string shortened_display_text(const std::string& name);

// Creates a folder and its missing parents; errors surface later, when a
// file inside cannot be created.
void make_folders(const std::string& folder);

// Writes a file atomically: a temporary file in the same folder, then a
// rename over the old one, so a reader never sees half a file. A symbolic
// link is written through to its target, in the target's folder; an existing
// file whose permission bits grant write to nobody, or that is no regular
// file, is refused (75).
void write_file_atomically(const std::string& path, const std::string& bytes);

// The same, returning 0 or the errno of the failure instead of throwing:
// EACCES for a file refused as read-only, EINVAL for one that is no regular
// file; why, when given, receives the reason for a person.
int try_write_file_atomically(const std::string& path, const std::string& bytes,
                              std::string* why = nullptr);

// Removes the temporary files that writing path atomically left behind when
// their writer ended mid-write; those a running writer holds stay.
void sweep_stale_temp_files_beside(const std::string& path);

}  // namespace platform
