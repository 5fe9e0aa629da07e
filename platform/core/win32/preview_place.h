#pragma once
// Where "preview.bmp" goes on Windows: the root of drive C when the user may
// create a file there, else the user's local application data folder.
#include <string>

namespace platform::win32 {

// root_folder\preview.bmp when a probe file can be created (and is deleted
// again) in root_folder, else fallback_folder\Glimmerbox\preview.bmp, that
// folder created.
std::string choose_preview_bmp_path(const std::string& root_folder, const std::string& fallback_folder);

}  // namespace platform::win32
