#pragma once
// Names of our own for a picture handed to a desktop: alternating links that
// make a desktop reload a file it already shows, or give a desktop that cannot
// read the picture's name, or a tool that expands its argument, a name of ours.
#include <cstdint>
#include <string>

namespace platform::wallpaper_tools {

// What a copy may take: no more than the largest picture file the program
// shows (the decode budget admits about 134 million pixels; a 32-bit bitmap
// holds 4 bytes of each, plus headers), and only with room to spare on the
// data folder's filesystem.
struct CopyLimits {
    std::uint64_t max_bytes = (std::uint64_t(512) << 20) + (std::uint64_t(1) << 20);
    std::uint64_t spare_bytes = std::uint64_t(64) << 20;
};

// A hard link to the file (a copy, mode 0600, within the limits, where no
// link can be made) under alternating names "<stem>-a<ext>", then
// "<stem>-b<ext>", ..., where ext is the file's own extension when it is
// plain letters and digits. The path handed to a desktop then differs from
// the one it shows, and is a name of our own. Of the aliases already in the
// stem's folder, all but the one made last (the one shown) are removed.
// "" when neither link nor copy can be made. `previous` receives the alias
// to remove once the desktop has switched ("" when none).
std::string fresh_alias(const std::string& path, const std::string& stem, std::string& previous,
                        const CopyLimits& limits = {});
// Removes every alias in the folder (the desktop shows a picture by its own path).
void drop_aliases(const std::string& folder);

}  // namespace platform::wallpaper_tools
