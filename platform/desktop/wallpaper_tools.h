#pragma once
// The pieces of the desktop wallpaper backend that are worth checking on
// their own: which desktop runs, how a path is spelled for each tool, and the
// alternating links that make a desktop reload a file it already shows.
#include <string>

namespace platform::wallpaper_tools {

enum class Desktop { Gnome, Cinnamon, Mate, Xfce, Kde, Lxqt, Lxde, Sway, X11, None };

// From XDG_CURRENT_DESKTOP (a ':'-separated list, any case; the first known
// name wins), then SWAYSOCK, then DISPLAY. Null pointers mean unset.
Desktop detect_desktop(const char* current_desktop, const char* swaysock, const char* display);

// The file:// URI of a local path, percent-encoded as GIO makes it.
std::string file_uri(const std::string& path);

// A string in GVariant text form, as gsettings reads and prints it.
std::string gvariant_quote(const std::string& text);
// The string of gsettings' printed GVariant; false when it is no string.
bool gvariant_unquote(const std::string& printed, std::string& text);

// A path as one quoted argument of sway's command parser.
std::string sway_quote(const std::string& path);

// The Plasma shell script that sets the picture on every desktop.
std::string plasma_script(const std::string& path, bool tiled);

// A hard link to the file under an alternating hidden name beside it
// ("dir/.name-a.ext", then "dir/.name-b.ext", ...), so that the path handed to
// the desktop differs from the one it shows. The original path when no link
// can be made. `previous` receives the alias to remove once the desktop has
// switched ("" when none).
std::string fresh_alias(const std::string& path, std::string& previous);

}  // namespace platform::wallpaper_tools
