#pragma once
// The classic "set desktop wallpaper" call, done on Linux by the running
// desktop's own tools and on Windows by the system's own call.
#include <string>
#include <vector>

#include "platform/core/services.h"

namespace platform {

inline constexpr unsigned kSpiSetDeskWallpaper = 20;
inline constexpr unsigned kSpifUpdateIniFileSendChange = 3;

// action 20: reads WallpaperStyle and TileWallpaper from the settings store,
// records the path as its Wallpaper value and applies picture and style to the
// running desktop through services().desktop_wallpaper. False when nothing
// could apply it. On Windows: the system's SystemParametersInfoA, which does
// all of that itself; false for a path that is no existing file.
bool SystemParametersInfoA(unsigned action, unsigned param, const std::string& path,
                           unsigned flags);

// The style the store holds now (TileWallpaper "1": tiled, else centred).
WallpaperStyle stored_wallpaper_style();

// Action 20 with the style given rather than read: what a wallpaper queued
// earlier uses, the style in force when it was asked for.
bool set_desktop_wallpaper(const std::string& path, WallpaperStyle style, unsigned flags);

#ifndef _WIN32
// The real desktop backend: picks the desktop from the environment
// (XDG_CURRENT_DESKTOP, SWAYSOCK, DISPLAY) and runs its tools through the
// runner, each with a time limit.
bool apply_desktop_wallpaper(const std::string& path, WallpaperStyle style,
                             const CommandRunner& run);

// Runs a program with an argument vector (no shell) and a time limit.
CommandResult run_program(const std::vector<std::string>& argv, int timeout_ms);
#endif

}  // namespace platform
