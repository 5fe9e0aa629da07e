#pragma once
// What the drives' current folders (drive_folders.cpp) ask of each system.
#include <string>

#include "platform/files/drives.h"

namespace platform::detail {

// Empty when the folder's entries can be listed, else the system's reason.
std::string unlistable_reason(const std::string& folder);

// True when the folder is on this drive.
bool drive_holds(const Drive& drive, const std::string& folder);

}  // namespace platform::detail
