#pragma once
// The ways a desktop's wallpaper is set, one for each kind of row in the
// desktop table, each reading back what the desktop lets us read.
#include <string>
#include <vector>

#include "platform/core/services.h"
#include "platform/desktop/desktop_table.h"

namespace platform::wallpaper_tools {

// Sets the picture (an absolute path) in the style the way the row says,
// each tool with a time limit. True when it was set and, where the desktop
// can be asked, the desktop holds what was sent.
bool set_as_row_says(const HowSet& how, const std::string& path, bool tiled, const CommandRunner& run);

// A tool's argument vector with the picture's path and the style's word put
// in; what they hold is never read as a stand-in.
std::vector<std::string> tool_command(const Tool& tool, const std::string& path, bool tiled);

}  // namespace platform::wallpaper_tools
