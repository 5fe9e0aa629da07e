// The desktops the wallpaper reaches, one row each, and how the running one
// is found.
#include "platform/desktop/desktop_table.h"

#include <cstdlib>
#include <string>

#include "platform/core/ascii.h"

namespace platform::wallpaper_tools {

const std::vector<DesktopRow>& desktop_rows() {
    static const std::vector<DesktopRow> rows = {
        {.names = {"GNOME", "UBUNTU", "BUDGIE", "UNITY", "GNOME-CLASSIC", "GNOME-FLASHBACK"},
         .utf8_names_only = true,  // GNOME Shell stops redrawing its background for good
         // GNOME shows the -dark key whenever the colour scheme prefers dark.
         .how = Gsettings{.schema = "org.gnome.desktop.background",
                          .picture_keys = {"picture-uri", "picture-uri-dark"},
                          .style_key = "picture-options",
                          .style = {"centered", "wallpaper"}}},
        {.names = {"X-CINNAMON", "CINNAMON"},
         .how = Gsettings{.schema = "org.cinnamon.desktop.background",
                          .picture_keys = {"picture-uri"},
                          .style_key = "picture-options",
                          .style = {"centered", "wallpaper"}}},
        {.names = {"MATE"},
         .utf8_names_only = true,  // a settings string cannot hold them
         .how = Gsettings{.schema = "org.mate.background",
                          .picture_keys = {"picture-filename"},
                          .picture_as_uri = false,
                          .style_key = "picture-options",
                          .style = {"centered", "wallpaper"}}},
        {.names = {"XFCE"},
         .utf8_names_only = true,  // xfconf-query refuses other bytes
         .own_name = OwnName::ForRepeats,
         .how = Xfconf{.channel = "xfce4-desktop",
                       .picture_property = "last-image",
                       .style_property = "image-style",
                       .style = {"1", "2"}}},
        {.names = {"KDE"},
         .utf8_names_only = true,  // Plasma turns the URI into text and loses them
         .own_name = OwnName::ForRepeats,
         .how = PlasmaScript{.fill_mode = {"6", "3"}}},
        {.names = {"LXQT"},
         .utf8_names_only = true,  // pcmanfm-qt replaces them
         .own_name = OwnName::ForRepeats,
         .how = Tools{{.argv = {"pcmanfm-qt", "--set-wallpaper={picture}", "--wallpaper-mode={style}"},
                       .style = {"center", "tile"}}}},
        {.names = {"LXDE"},
         .how = Tools{{.argv = {"pcmanfm", "--set-wallpaper={picture}", "--wallpaper-mode={style}"},
                       .style = {"center", "tile"}}}},
        // Debian's sway sets no desktop name. It runs word expansion on the
        // path, commands included.
        {.names = {"SWAY"},
         .else_when_set = "SWAYSOCK",
         .own_name = OwnName::Always,
         .how = Tools{{.argv = {"swaymsg", "output", "*", "bg", "{picture}", "{style}", "#000000"},
                       .style = {"center", "tile"}}}},
        // Any other X11 session: the root window, by the first setter installed.
        {.names = {},
         .else_when_set = "DISPLAY",
         .how = Tools{{.argv = {"feh", "--no-fehbg", "{style}", "{picture}"},
                       .style = {"--bg-center", "--bg-tile"}},
                      {.argv = {"hsetroot", "{style}", "{picture}"}, .style = {"-center", "-tile"}}}},
    };
    return rows;
}

const DesktopRow* desktop_named(std::string_view name) {
    const std::string upper = upper_ascii(name);
    for (const DesktopRow& row : desktop_rows())
        for (const std::string_view n : row.names)
            if (upper_ascii(n) == upper) return &row;
    return nullptr;
}

const DesktopRow* running_desktop() {
    if (const char* current = std::getenv("XDG_CURRENT_DESKTOP")) {
        const std::string_view list = current;
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = list.find(':', start);
            if (end == std::string_view::npos) end = list.size();
            if (const DesktopRow* row = desktop_named(list.substr(start, end - start))) return row;
            start = end + 1;
        }
    }
    for (const DesktopRow& row : desktop_rows()) {
        const char* value = row.else_when_set ? std::getenv(row.else_when_set) : nullptr;
        if (value && *value) return &row;
    }
    return nullptr;
}

}  // namespace platform::wallpaper_tools
