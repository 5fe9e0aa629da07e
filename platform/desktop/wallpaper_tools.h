#pragma once
// The pieces of the desktop wallpaper backend that are worth checking on
// their own: which desktop runs, how a path is spelled for each tool, and the
// alternating links that make a desktop reload a file it already shows or
// give a tool that expands its argument a name of our own.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/file_uri.h"

namespace platform::wallpaper_tools {

enum class Desktop { Gnome, Cinnamon, Mate, Xfce, Kde, Lxqt, Lxde, Sway, X11, None };

// From XDG_CURRENT_DESKTOP (a ':'-separated list, any case; the first known
// name wins), then SWAYSOCK, then DISPLAY. Null pointers mean unset.
Desktop detect_desktop(const char* current_desktop, const char* swaysock, const char* display);

// The file:// URI of a local path, as GIO makes it (platform/files).
using platform::file_uri;

// True when the bytes are well-formed UTF-8.
bool valid_utf8(std::string_view text);

// A string in GVariant text form, as gsettings reads and prints it.
std::string gvariant_quote(const std::string& text);
// The string of gsettings' printed GVariant; false when it is no string.
bool gvariant_unquote(const std::string& printed, std::string& text);

// True for the desktops that cannot show a picture whose name is not UTF-8:
// such a name reaches them as a link of our own.
bool utf8_names_only(Desktop desktop);

// True when a path holds nothing that sway's command parser or the word
// expansion it runs on the path could act on: absolute, and only letters,
// digits and "/._+,@%=:-".
bool sway_safe(const std::string& path);

// The Plasma shell script that sets the picture on every desktop and prints
// each desktop's picture back, one a line. The picture goes in as a file URI
// percent-encoded from its bytes, so the script's string holds nothing but
// letters, digits and "%/:._~-".
std::string plasma_script(const std::string& path, bool tiled);
// True when the script's printout names at least one desktop and every one
// holds the picture's URI.
bool plasma_shows(const std::string& printed, const std::string& path);

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
