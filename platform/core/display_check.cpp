// Which windowing platform the toolkit runs on, settled before the toolkit is
// started (the toolkit aborts when it cannot open its display), and what that
// platform tells about windows.
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "words/catalogue.h"

namespace platform {
namespace {

std::string_view env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string_view(v) : std::string_view();
}

bool x_display_opens(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool opened = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return opened;
}

DisplayChoice choice_from_environment() {
    return choose_display(env("QT_QPA_PLATFORM"), env("WAYLAND_DISPLAY"), env("DISPLAY"), x_display_opens);
}

}  // namespace

DisplayChoice choose_display(std::string_view qpa_platform, std::string_view wayland_display,
                             std::string_view display, const std::function<bool(const std::string&)>& x_opens) {
    const bool user_chose = !qpa_platform.empty();
    // A platform the user asked for other than X11 is left to the toolkit.
    if (user_chose && qpa_platform != "xcb" && !qpa_platform.starts_with("xcb:")) return {};
    const std::string x(display);
    if (!x.empty() && x_opens(x)) return {!user_chose, std::nullopt};
    // No X server: a Wayland session runs natively, unless X11 was asked for.
    if (!user_chose && !wayland_display.empty()) return {};
    if (x.empty()) return {false, words::say(words::kNoDisplaySet)};
    return {false, words::say(words::kDisplayWillNotOpen, {x})};
}

std::optional<std::string> display_problem() { return choice_from_environment().problem; }

std::optional<std::string> settle_display() {
    const DisplayChoice choice = choice_from_environment();
    if (choice.use_x11) ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    return choice.problem;
}

bool window_system_reports_minimised() {
    if (services().reports_minimised) return services().reports_minimised();
    // "wayland", "wayland-egl", "wayland-brcm": the plugin's variants.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace platform
