#pragma once
// What the file and folder lists ask of each system (file_list_state.cpp,
// dir_list_state.cpp hold the rest).
#include <cstddef>
#include <string>

namespace platform::detail {

// Whether the file is marked read-only; false when it cannot be read.
bool read_only_file(const std::string& path);

// Whether two normalised folder paths name the same folder.
bool same_folder(const std::string& a, const std::string& b);

// A row of the folder list: indented by depth, marked open (an ancestor or
// the open folder) or closed (a sub-folder).
std::string folder_row_text(std::size_t depth, bool open, const std::string& label);

}  // namespace platform::detail
