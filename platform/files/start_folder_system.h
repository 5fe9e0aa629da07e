#pragma once
// What the start folder's rules (start_folder_rules.cpp) ask of each system.
#include <string>

namespace platform::detail {

// Whether the folder's entries can be listed.
bool can_read_folder(const std::string& folder);
// The process's current folder; empty when it was deleted or its path
// cannot be found.
std::string process_folder();
// The user's home folder as the environment gives it; empty when unset.
std::string home_folder();
// The folder taken when neither can be read: the root.
std::string last_resort_folder();

}  // namespace platform::detail
