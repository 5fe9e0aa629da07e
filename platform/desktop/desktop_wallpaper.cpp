// The desktop wallpaper call: the style and the picture are recorded in the
// settings store and handed to the running desktop through its own tools.
#include "platform/desktop/desktop_wallpaper.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/error.h"
#include "platform/core/registry_keys.h"
#include "platform/files/files.h"
#include "platform/store/registry.h"
#include "platform/desktop/desktop_table.h"
#include "platform/desktop/desktop_wallpaper_alias.h"
#include "platform/desktop/tool_quoting.h"
#include "platform/desktop/wallpaper_setters.h"

namespace platform {

namespace {

// An absolute path to a regular file we can read: a folder, a FIFO or a
// device never becomes the wallpaper. Opened without blocking.
bool readable_picture_file(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

}  // namespace

bool apply_desktop_wallpaper(const std::string& path, WallpaperStyle style, const CommandRunner& run) {
    using namespace wallpaper_tools;
    // Only an absolute path: it can never be taken for an option of a tool.
    if (path.empty() || path[0] != '/') return false;
    const DesktopRow* desktop = running_desktop();
    if (!desktop) return false;
    const bool tiled = style == WallpaperStyle::Tiled;
    const std::string& preview = services().preview_bmp_path;
    const std::string data_folder = preview.substr(0, preview.find_last_of('/') + 1);
    const bool always_own = desktop->own_name == OwnName::Always;
    const bool text_only = desktop->utf8_names_only && !valid_utf8(path);
    std::string stem;
    if (always_own || text_only) {
        // A tool that expands its argument (sway: commands included), or a
        // desktop that cannot read the name: either gets a name of our own
        // in our data folder, never the user's.
        stem = data_folder + ".wallpaper";
    } else if (desktop->own_name == OwnName::ForRepeats && path == preview) {
        // These desktops ignore a path equal to the one they show, and the
        // converted bitmap is always the same file with new content: hand
        // them a fresh link to it each time.
        stem = data_folder + ".preview";
    }
    if (stem.empty()) {
        // Shown by its own name: no alias of ours is needed any more.
        const bool ok = set_as_row_says(desktop->how, path, tiled, run);
        if (ok) drop_aliases(data_folder);
        return ok;
    }
    std::string previous;
    const std::string alias = fresh_alias(path, stem, previous);
    const bool unusable = always_own ? !plain_path(alias) : text_only && (alias.empty() || !valid_utf8(alias));
    if (unusable) {
        if (!alias.empty()) ::unlink(alias.c_str());
        return false;
    }
    if (alias.empty()) return set_as_row_says(desktop->how, path, tiled, run);
    const bool ok = set_as_row_says(desktop->how, alias, tiled, run);
    // Keep the alias the desktop now shows; drop the other one.
    const std::string& stale = ok ? previous : alias;
    if (!stale.empty()) ::unlink(stale.c_str());
    return ok;
}

WallpaperStyle stored_wallpaper_style() {
    const auto tile = read_string_value(std::string(kDesktopKeyPath), "TileWallpaper");
    return (tile && *tile == "1") ? WallpaperStyle::Tiled : WallpaperStyle::Centered;
}

bool set_desktop_wallpaper(const std::string& path, WallpaperStyle style, unsigned flags) {
    if (!readable_picture_file(path)) return false;
    try {
        if (flags & 1u) {
            RegKey handle = 0;
            if (RegOpenKeyExA(kHkeyCurrentUser, std::string(kDesktopSubkey), 0, kKeyWrite, &handle) == 0) {
                RegSetValueExA(handle, "Wallpaper", 0, kRegSz, path.c_str(),
                               static_cast<std::uint32_t>(path.size() + 1));
                RegCloseKey(handle);
            }
        }
        const auto& apply = services().desktop_wallpaper;
        return apply ? apply(path, style) : false;
    } catch (const Error&) {
        // A store or desktop that fails is no wallpaper; anything else is a
        // fault and goes on to the guard.
        return false;
    }
}

bool SystemParametersInfoA(unsigned action, unsigned /*param*/, const std::string& path,
                           unsigned flags) {
    if (action != kSpiSetDeskWallpaper) return false;
    return set_desktop_wallpaper(path, stored_wallpaper_style(), flags);
}

}  // namespace platform
