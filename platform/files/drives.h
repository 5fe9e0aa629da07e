#pragma once
// Drives. On Linux the mounted filesystems a person would call drives,
// spelled as "mount point [label]", so that a drive is never mistaken for a
// folder. On Windows the drive letters, spelled as the classic drive list
// shows them: "c: [label]", or "c:" for a drive with no label.
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Drive {
    std::string mount_point;  // "/", "/home", "/media/ana/CAMERA"; on Windows "C:\"
    std::string label;        // "system", "home", "CAMERA"; on Windows the volume label
    std::string spelled() const;
};

// Drives of a mount table in /proc/self/mounts format: "/" first, then the
// others sorted by mount point; pseudo filesystems left out. On Windows the
// system's drive letters in order (the table is not read).
std::vector<Drive> read_drives(const std::string& mount_table_path);

// The drive given by its spelling ("/home [home]"), if it is one.
std::optional<Drive> parse_drive(const std::string& spelled);

// The drive holding a path: the longest mount point that is a prefix of it.
Drive drive_of(const std::vector<Drive>& drives, const std::string& path);

// The folder the program last showed on each drive, kept for the process,
// so that going back to a drive goes back to that folder.
void remember_folder_on_drive(const Drive& drive, const std::string& folder);

// The drive's current folder: the folder last shown on it, else the start
// folder when the drive holds it, else its mount point. Throws 68
// with a clear text when the drive cannot be read.
std::string current_folder_of_drive(const Drive& drive);

}  // namespace platform
