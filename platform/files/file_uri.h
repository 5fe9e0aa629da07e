#pragma once
// File URIs spelled from a path's bytes, as GLib's g_filename_to_uri spells
// them, so that other programs on the desktop name the same file the same way.
#include <string>
#include <string_view>

namespace platform {

// The file:// URI of a local path, encoded from its bytes: letters, digits,
// "/-._~" and the characters of also_kept stay, every other byte becomes %XX.
// The default keeps what GLib keeps, so the URI is the one GIO makes.
std::string file_uri(const std::string& path, std::string_view also_kept = "!$&'()*+,:=@");

}  // namespace platform
