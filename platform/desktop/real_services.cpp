#include "platform/desktop/real_services.h"

#include "platform/core/runtime.h"
#include "platform/desktop/desktop_wallpaper.h"

namespace platform {

Services real_services() {
    Services s = environment_services();
    s.message_box = show_message_box;
    s.run_command = run_program;
    s.desktop_wallpaper = [](const std::string& path, WallpaperStyle style) {
        return apply_desktop_wallpaper(path, style, services().run_command);
    };
    return s;
}

}  // namespace platform
