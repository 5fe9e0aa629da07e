#pragma once
// What the program knows of each desktop, one row each: the names it goes by
// in XDG_CURRENT_DESKTOP, which picture names it can take, and how its
// wallpaper is set and read back. A new desktop is a new row.
#include <string_view>
#include <variant>
#include <vector>

namespace platform::wallpaper_tools {

// The words a setting or a tool takes for the two styles.
struct StyleWords {
    std::string_view centred, tiled;
};

// Keys of a gsettings schema, each set and then read back with gsettings get.
struct Gsettings {
    std::string_view schema;
    std::vector<std::string_view> picture_keys;
    bool picture_as_uri = true;  // a file:// URI, else the path itself
    std::string_view style_key;
    StyleWords style;
};

// Properties of an xfconf channel, set under every monitor and workspace the
// channel lists, each read back with xfconf-query.
struct Xfconf {
    std::string_view channel;
    std::string_view picture_property;  // a string
    std::string_view style_property;    // an int
    StyleWords style;
};

// A script for Plasma's shell, over D-Bus, that sets every desktop and
// prints back the picture each one now holds.
struct PlasmaScript {
    StyleWords fill_mode;
};

// A tool's command line; "{picture}" and "{style}" in a word stand for the
// picture's path and the style's word. The tool is not asked what it shows.
struct Tool {
    std::vector<std::string_view> argv;
    StyleWords style;
};
// Tools tried in turn: the first one installed decides.
using Tools = std::vector<Tool>;

using HowSet = std::variant<Gsettings, Xfconf, PlasmaScript, Tools>;

// When a desktop is handed a name of our own for the picture (a link in the
// data folder) rather than the picture's own.
enum class OwnName {
    IfUnreadable,  // only for a name it cannot read (utf8_names_only)
    ForRepeats,    // also for the preview bitmap: it reloads no path it already shows
    Always,        // always, and a plain one: its tool expands its argument
};

struct DesktopRow {
    std::vector<std::string_view> names;  // in XDG_CURRENT_DESKTOP, any case
    const char* else_when_set = nullptr;  // picked, when no name is known, while this variable is set
    bool utf8_names_only = false;         // a name that is not UTF-8 reaches it as one of our own
    OwnName own_name = OwnName::IfUnreadable;
    HowSet how;
};

// Every desktop; those picked by a variable are tried in this order.
const std::vector<DesktopRow>& desktop_rows();

// The row that goes by this name (any case); null when none does.
const DesktopRow* desktop_named(std::string_view name);

// The running desktop: from XDG_CURRENT_DESKTOP (a ':'-separated list; the
// first known name wins), else the first row whose variable is set (not
// empty). Null when none is known.
const DesktopRow* running_desktop();

}  // namespace platform::wallpaper_tools
