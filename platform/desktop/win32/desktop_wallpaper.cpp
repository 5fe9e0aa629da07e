// The wallpaper call on Windows: the system's own. It reads the style from
// WallpaperStyle and TileWallpaper, which the window that asked has written.
#include "platform/desktop/desktop_wallpaper.h"

#include <windows.h>

#include "platform/core/registry_keys.h"
#include "platform/store/registry.h"

namespace platform {
namespace {

// Only an existing file: a folder (nothing selected in the list) or a path
// that has gone leaves the wallpaper as it is.
bool is_file(const std::string& path) {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void write_style_value(RegKey key, const char* name, const char* value) {
    RegSetValueExA(key, name, 0, kRegSz, value, 2);
}

}  // namespace

WallpaperStyle stored_wallpaper_style() {
    const auto tile = read_string_value(std::string(kDesktopKeyPath), "TileWallpaper");
    return (tile && *tile == "1") ? WallpaperStyle::Tiled : WallpaperStyle::Centered;
}

bool set_desktop_wallpaper(const std::string& path, WallpaperStyle style, unsigned flags) {
    if (!is_file(path)) return false;
    // A wallpaper queued earlier keeps the style it was asked with, though a
    // window may have written another since: the system reads it from here.
    if (stored_wallpaper_style() != style) {
        RegKey key = 0;
        if (RegOpenKeyExA(kHkeyCurrentUser, std::string(kDesktopSubkey), 0, kKeyWrite, &key) == 0) {
            const char* value = style == WallpaperStyle::Tiled ? "1" : "0";
            write_style_value(key, "WallpaperStyle", value);
            write_style_value(key, "TileWallpaper", value);
            RegCloseKey(key);
        }
    }
    return ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path.c_str()), flags) != FALSE;
}

bool SystemParametersInfoA(unsigned action, unsigned /*param*/, const std::string& path, unsigned flags) {
    if (action != kSpiSetDeskWallpaper) return false;
    return set_desktop_wallpaper(path, stored_wallpaper_style(), flags);
}

}  // namespace platform
