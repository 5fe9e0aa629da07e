#pragma once
// The desktop's centred or tiled choice, kept as two string values under the
// current user's desktop key, which the wallpaper call reads.
namespace wallpaper_style {

// WallpaperStyle "1", then TileWallpaper "1". Failures are shown to the user
// by the writer; the second value is written whatever became of the first.
void write_tiled();
// WallpaperStyle "0", then TileWallpaper "0".
void write_centred();

}  // namespace wallpaper_style
