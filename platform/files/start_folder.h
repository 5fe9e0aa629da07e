#pragma once
// The folder the program started in. It stands in for the process's current
// folder, which nothing reads after start-up: that folder may be deleted,
// unreadable or on a mount that has gone, while the program runs or before.
#include <string>

namespace platform {

// Start-up: records the process's current folder when it can be read, else
// the home folder, else "/", and returns it.
std::string settle_start_folder();

// The recorded start folder while it can still be read, else the home
// folder, else "/". Settles it first when start-up has not.
std::string start_folder();

}  // namespace platform
