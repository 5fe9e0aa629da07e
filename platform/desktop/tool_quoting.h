#pragma once
// How a picture's name is spelled for each desktop tool's own syntax, and how
// what a tool prints back is read: GVariant text for gsettings, the string of
// Plasma's shell script, the words sway's command parser takes.
#include <string>
#include <string_view>

namespace platform::wallpaper_tools {

// True when the bytes are well-formed UTF-8.
bool valid_utf8(std::string_view text);

// A string in GVariant text form, as gsettings reads and prints it.
std::string gvariant_quote(const std::string& text);
// The string of gsettings' printed GVariant; false when it is no string.
bool gvariant_unquote(const std::string& printed, std::string& text);

// True when a path holds nothing that a tool's command parser or the word
// expansion it runs on its argument could act on: absolute, and only
// letters, digits and "/._+,@%=:-".
bool plain_path(const std::string& path);

// The Plasma shell script that sets the picture on every desktop with the
// fill mode given and prints each desktop's picture back, one a line. The
// picture goes in as a file URI percent-encoded from its bytes, so the
// script's string holds nothing but letters, digits and "%/:._~-".
std::string plasma_script(const std::string& path, std::string_view fill_mode);
// True when the script's printout names at least one desktop and every one
// holds the picture's URI.
bool plasma_shows(const std::string& printed, const std::string& path);

}  // namespace platform::wallpaper_tools
