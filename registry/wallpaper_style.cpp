#include "registry/wallpaper_style.h"

#include <string>

#include "platform/core/registry_keys.h"
#include "registry/registry_routines.h"

namespace wallpaper_style {
namespace {

// The writer shortens the key path it is given, so each value gets a freshly
// set copy of the full path.
void write_style(const std::string& style, const std::string& tile) {
    std::string key_path = std::string(platform::kDesktopKeyPath);
    std::string value_name = "WallpaperStyle";
    std::string data = style;
    registry::Write_String_Value(key_path, value_name, data);

    key_path = std::string(platform::kDesktopKeyPath);
    value_name = "TileWallpaper";
    data = tile;
    registry::Write_String_Value(key_path, value_name, data);
}

}  // namespace

void write_tiled() { write_style("1", "1"); }
void write_centred() { write_style("0", "0"); }

}  // namespace wallpaper_style
