// The platform: X whenever a server opens unless the user chose, else Wayland, else one clear line.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/core/runtime.h"
#include "support/recording.h"

namespace {

TEST(DisplayChoice, XServerWhenOneOpensUnlessTheUserChose) {
    struct Row {
        const char* qpa;
        const char* wayland;
        const char* display;
        bool x_opens;
        bool use_x11;
        std::optional<std::string> problem;
    };
    const std::string no_display = "cannot open X display (DISPLAY is not set)";
    const Row rows[] = {
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
    for (const Row& row : rows) {
        const auto opens = [&](const std::string&) { return row.x_opens; };
        const auto choice = platform::choose_display(row.qpa, row.wayland, row.display, opens);
        const std::string trace = std::string(row.qpa) + "|" + row.wayland + "|" + row.display;
        EXPECT_EQ(choice.use_x11, row.use_x11) << trace;
        EXPECT_EQ(choice.problem, row.problem) << trace;
    }
    // The real opener, from the environment: a display that cannot be opened is one clear line.
    test_support::ScopedEnv p("QT_QPA_PLATFORM", "xcb"), w("WAYLAND_DISPLAY", "wayland-0"), d("DISPLAY", ":bogus");
    EXPECT_EQ(platform::display_problem(), "cannot open X display \":bogus\"");
}

}  // namespace
