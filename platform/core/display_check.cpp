// Whether an X display can be opened, asked before the toolkit is started:
// the toolkit aborts when it cannot open one.
#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

#include "platform/core/runtime.h"

namespace platform {
namespace {

std::string_view env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string_view(v) : std::string_view();
}

}  // namespace

std::optional<std::string> display_problem() {
    const std::string_view platform_name = env("QT_QPA_PLATFORM");
    if (!platform_name.empty() && platform_name != "xcb" && !platform_name.starts_with("xcb:")) return std::nullopt;
    // In a Wayland session the toolkit picks Wayland or X11 for itself.
    if (platform_name.empty() && !env("WAYLAND_DISPLAY").empty()) return std::nullopt;
    const std::string display(env("DISPLAY"));
    if (display.empty()) return "cannot open X display (DISPLAY is not set)";
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed) return "cannot open X display \"" + display + "\"";
    return std::nullopt;
}

}  // namespace platform
