// The platform: X whenever a server opens unless the user chose, else Wayland, else one clear line.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/core/runtime.h"
#include "support/recording.h"

namespace {

TEST(DisplayChoice, XServerWhenOneOpensUnlessTheUserChose) {
    const std::string no_display = "cannot open X display (DISPLAY is not set)";
    // QT_QPA_PLATFORM, WAYLAND_DISPLAY, DISPLAY, whether an X server opens there; X11 chosen, the problem told.
    const std::tuple<const char*, const char*, const char*, bool, bool, std::optional<std::string>> rows[] = {
        {"", "", ":0", true, true, std::nullopt},                       // plain X11 session
        {"", "wayland-0", ":0", true, true, std::nullopt},              // XWayland on GNOME, KDE
        {"", "wayland-0", ":0", false, false, std::nullopt},            // X server gone: native
        {"", "wayland-0", "", false, false, std::nullopt},              // no X server: native
        {"wayland", "wayland-0", ":0", true, false, std::nullopt},      // the user's choice holds
        {"offscreen", "", "", false, false, std::nullopt},
        {"xcb", "", ":0", true, false, std::nullopt},                   // already X11
        {"xcb:nograb", "wayland-0", ":1", false, false, "cannot open X display \":1\""},
        {"xcb", "wayland-0", "", false, false, no_display},
        {"", "", "", false, false, no_display},
        {"", "", ":bogus", false, false, "cannot open X display \":bogus\""},
    };
    for (const auto& [qpa, wayland, display, x_opens, use_x11, problem] : rows) {
        const auto choice =
            platform::choose_display(qpa, wayland, display, [x = x_opens](const std::string&) { return x; });
        const std::string trace = std::string(qpa) + "|" + wayland + "|" + display;
        EXPECT_EQ(choice.use_x11, use_x11) << trace;
        EXPECT_EQ(choice.problem, problem) << trace;
    }
    // The real opener, from the environment: a display that cannot be opened is one clear line.
    test_support::ScopedEnv p("QT_QPA_PLATFORM", "xcb"), w("WAYLAND_DISPLAY", "wayland-0"), d("DISPLAY", ":bogus");
    EXPECT_EQ(platform::display_problem(), "cannot open X display \":bogus\"");
}

}  // namespace
