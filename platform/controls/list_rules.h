#pragma once
// What the file, folder and drive lists ask of each system (the rest is in
// file_list_state.cpp, dir_list_state.cpp and drive_list_state.cpp).
#include <cstddef>
#include <string>
#include <vector>

#include "platform/files/drives.h"

namespace platform::detail {

// Whether the file is marked read-only; false when it cannot be read.
bool read_only_file(const std::string& path);

// Whether two normalised folder paths name the same folder.
bool same_folder(const std::string& a, const std::string& b);

// A row of the folder list: indented by depth, marked open (an ancestor or
// the open folder) or closed (a sub-folder).
std::string folder_row_text(std::size_t depth, bool open, const std::string& label);

// How the drive list spells the listed drive that holds the path; empty
// when the path is on none of them.
std::string listed_drive_holding(const std::vector<Drive>& drives, const std::string& path);

}  // namespace platform::detail
