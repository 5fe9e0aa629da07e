// The desktop wallpaper call: the style and the picture are recorded in the
// settings store and handed to the running desktop through its own tools.
#include "platform/desktop/desktop_wallpaper.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string_view>

#include "platform/core/ascii.h"
#include "platform/core/error.h"
#include "platform/core/registry_keys.h"
#include "platform/files/files.h"
#include "platform/store/registry.h"
#include "platform/desktop/wallpaper_tools.h"

namespace platform {
namespace wallpaper_tools {
namespace {

Desktop desktop_named(const std::string& name) {
    const std::string n = upper_ascii(name);
    if (n == "GNOME" || n == "UBUNTU" || n == "BUDGIE" || n == "UNITY" || n == "GNOME-CLASSIC" ||
        n == "GNOME-FLASHBACK")
        return Desktop::Gnome;
    if (n == "X-CINNAMON" || n == "CINNAMON") return Desktop::Cinnamon;
    if (n == "MATE") return Desktop::Mate;
    if (n == "XFCE") return Desktop::Xfce;
    if (n == "KDE") return Desktop::Kde;
    if (n == "LXQT") return Desktop::Lxqt;
    if (n == "LXDE") return Desktop::Lxde;
    if (n == "SWAY") return Desktop::Sway;
    return Desktop::None;
}

}  // namespace

Desktop detect_desktop(const char* current_desktop, const char* swaysock, const char* display) {
    if (current_desktop) {
        const std::string list = current_desktop;
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = list.find(':', start);
            if (end == std::string::npos) end = list.size();
            const Desktop d = desktop_named(list.substr(start, end - start));
            if (d != Desktop::None) return d;
            start = end + 1;
        }
    }
    if (swaysock && *swaysock) return Desktop::Sway;
    if (display && *display) return Desktop::X11;
    return Desktop::None;
}

bool valid_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = 0;
        char32_t cp = 0;
        if (c < 0x80) { ++i; continue; }
        if (c >= 0xC2 && c <= 0xDF) { n = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { n = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { n = 3; cp = c & 0x07; }
        else return false;
        if (i + n >= text.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
        if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::string gvariant_quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\'': out += "\\'"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out + "'";
}

namespace {

// The code point of `digits` hexadecimal digits at s[at]; false when they are not there.
bool hex_at(const std::string& s, std::size_t at, std::size_t digits, char32_t& cp) {
    if (at + digits > s.size()) return false;
    cp = 0;
    for (std::size_t k = at; k < at + digits; ++k) {
        const char c = s[k];
        const int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
        if (v < 0) return false;
        cp = (cp << 4) | static_cast<char32_t>(v);
    }
    return cp <= 0x10FFFF;
}

}  // namespace

bool gvariant_unquote(const std::string& printed, std::string& text) {
    std::string s = printed;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    if (s.size() < 2) return false;
    const char q = s.front();
    if ((q != '\'' && q != '"') || s.back() != q) return false;
    text.clear();
    const std::size_t end = s.size() - 1;
    for (std::size_t i = 1; i < end; ++i) {
        char c = s[i];
        if (c == q) return false;  // more than one string
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= end) return false;
        // GLib prints what is not printable as C escapes or \uXXXX / \UXXXXXXXX.
        c = s[i];
        char32_t cp = 0;
        switch (c) {
            case 'a': text += '\a'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            case 'v': text += '\v'; break;
            case 'u':
            case 'U': {
                const std::size_t digits = c == 'u' ? 4 : 8;
                if (i + digits >= end || !hex_at(s, i + 1, digits, cp)) return false;
                append_utf8(cp, text);
                i += digits;
                break;
            }
            default: text += c;
        }
    }
    return true;
}

bool utf8_names_only(Desktop desktop) {
    switch (desktop) {
        case Desktop::Xfce:   // xfconf-query refuses other bytes
        case Desktop::Lxqt:   // pcmanfm-qt replaces them
        case Desktop::Mate:   // a settings string cannot hold them
        case Desktop::Kde:    // Plasma turns the URI into text and loses them
        case Desktop::Gnome:  // GNOME Shell stops redrawing its background for good
            return true;
        default:
            return false;
    }
}

bool sway_safe(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    for (const char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain && std::string_view("/._+,@%=:-").find(c) == std::string_view::npos) return false;
    }
    return true;
}

std::string plasma_script(const std::string& path, bool tiled) {
    // Nothing but unreserved characters and '/' kept, so that no quote,
    // backslash or line break of the name reaches the script.
    const std::string uri = file_uri(path, "");
    return "var ds = desktops();\n"
           "for (var i = 0; i < ds.length; i++) {\n"
           "    var d = ds[i];\n"
           "    d.wallpaperPlugin = 'org.kde.image';\n"
           "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
           "    d.writeConfig('Image', '" + uri + "');\n"
           "    d.writeConfig('FillMode', " + (tiled ? "3" : "6") + ");\n"
           "    print(d.readConfig('Image', '') + '\\n');\n"
           "}\n";
}

bool plasma_shows(const std::string& printed, const std::string& path) {
    const std::string uri = file_uri(path, "");
    std::size_t desktops = 0;
    std::size_t start = 0;
    while (start < printed.size()) {
        std::size_t end = printed.find('\n', start);
        if (end == std::string::npos) end = printed.size();
        std::string line = printed.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;  // print() may end each line itself
        if (line != uri) return false;
        ++desktops;
    }
    return desktops > 0;
}

}  // namespace wallpaper_tools

namespace {

using namespace wallpaper_tools;

constexpr int kTimeLimitMs = 5000;

bool succeeded(const CommandResult& r) { return r.started && !r.timed_out && r.exit_code == 0; }

bool run_ok(const CommandRunner& run, const std::vector<std::string>& argv) {
    return succeeded(run(argv, kTimeLimitMs));
}

// gsettings and xfconf-query print through GLib, which turns what the
// locale's character set cannot show into '?': values are read in UTF-8
// whatever the user's locale, so that they compare byte for byte.
std::vector<std::string> read_in_utf8(std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"env", "LC_ALL=C.UTF-8"});
    return argv;
}

// Each key is read back: gsettings exits 0 even when it could not reach the
// settings daemon, and a desktop may keep something other than what we sent.
bool gsettings_set(const CommandRunner& run, const std::string& schema, const std::string& key,
                   const std::string& value) {
    if (!run_ok(run, {"gsettings", "set", schema, key, gvariant_quote(value)})) return false;
    const CommandResult r = run(read_in_utf8({"gsettings", "get", schema, key}), kTimeLimitMs);
    std::string read;
    return succeeded(r) && gvariant_unquote(r.output, read) && read == value;
}

bool apply_gsettings(const CommandRunner& run, const std::string& schema, const std::string& key,
                     const std::string& picture, bool dark_too, bool tiled) {
    bool ok = gsettings_set(run, schema, key, picture);
    if (dark_too) ok = gsettings_set(run, schema, key + "-dark", picture) && ok;
    return gsettings_set(run, schema, "picture-options", tiled ? "wallpaper" : "centered") && ok;
}

// Every "/backdrop/screen0/monitor*/workspace*/" the desktop knows.
std::vector<std::string> xfce_backdrops(const CommandRunner& run) {
    std::set<std::string> prefixes;
    const CommandResult r = run({"xfconf-query", "-c", "xfce4-desktop", "-l"}, kTimeLimitMs);
    if (succeeded(r)) {
        const std::string head = "/backdrop/screen0/monitor";
        std::size_t start = 0;
        while (start < r.output.size()) {
            std::size_t end = r.output.find('\n', start);
            if (end == std::string::npos) end = r.output.size();
            const std::string line = r.output.substr(start, end - start);
            start = end + 1;
            if (line.compare(0, head.size(), head) != 0) continue;
            const auto ws = line.find("/workspace", head.size());
            if (ws == std::string::npos || line.find('/', head.size()) != ws) continue;
            const auto after = line.find('/', ws + 1);
            if (after == std::string::npos || after == ws + 10) continue;
            prefixes.insert(line.substr(0, after + 1));
        }
    }
    if (prefixes.empty()) prefixes.insert("/backdrop/screen0/monitor0/workspace0/");
    return {prefixes.begin(), prefixes.end()};
}

// One property set and read back: xfconfd keeps only UTF-8 text, and
// xfconf-query prints the value it holds on a line of its own.
bool xfconf_set(const CommandRunner& run, const std::string& property, const char* type,
                const std::string& value) {
    if (!run_ok(run, {"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-n", "-t", type, "-s", value}))
        return false;
    const CommandResult r =
        run(read_in_utf8({"xfconf-query", "-c", "xfce4-desktop", "-p", property}), kTimeLimitMs);
    return succeeded(r) && r.output == value + "\n";
}

bool apply_xfce(const CommandRunner& run, const std::string& path, bool tiled) {
    bool ok = true;
    for (const auto& p : xfce_backdrops(run)) {
        ok = xfconf_set(run, p + "last-image", "string", path) && ok;
        ok = xfconf_set(run, p + "image-style", "int", tiled ? "2" : "1") && ok;
    }
    return ok;
}

bool apply_kde(const std::string& path, bool tiled) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript");
    call << QString::fromStdString(plasma_script(path, tiled));
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeLimitMs);
    // The script prints what each desktop now holds; a desktop that is
    // missing or refused the setting shows up here.
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           plasma_shows(reply.arguments().constFirst().toString().toStdString(), path);
}

bool apply_root_window(const CommandRunner& run, const std::string& path, bool tiled) {
    const CommandResult feh =
        run({"feh", "--no-fehbg", tiled ? "--bg-tile" : "--bg-center", path}, kTimeLimitMs);
    if (feh.started) return succeeded(feh);
    return run_ok(run, {"hsetroot", tiled ? "-tile" : "-center", path});
}

bool apply_to(Desktop desktop, const std::string& path, bool tiled, const CommandRunner& run) {
    switch (desktop) {
        case Desktop::Gnome:
            return apply_gsettings(run, "org.gnome.desktop.background", "picture-uri",
                                   file_uri(path), true, tiled);
        case Desktop::Cinnamon:
            return apply_gsettings(run, "org.cinnamon.desktop.background", "picture-uri",
                                   file_uri(path), false, tiled);
        case Desktop::Mate:
            // A settings string must be UTF-8 (gsettings crashes on anything
            // else, measured). Such names reach here as a name of our own; the
            // check stays as the last guard before gsettings.
            if (!valid_utf8(path)) return false;
            return apply_gsettings(run, "org.mate.background", "picture-filename", path, false, tiled);
        case Desktop::Xfce: return apply_xfce(run, path, tiled);
        case Desktop::Kde: return apply_kde(path, tiled);
        case Desktop::Lxqt:
        case Desktop::Lxde:
            return run_ok(run, {desktop == Desktop::Lxqt ? "pcmanfm-qt" : "pcmanfm",
                                "--set-wallpaper=" + path,
                                std::string("--wallpaper-mode=") + (tiled ? "tile" : "center")});
        case Desktop::Sway:
            return run_ok(run, {"swaymsg", "output", "*", "bg", path,
                                tiled ? "tile" : "center", "#000000"});
        case Desktop::X11: return apply_root_window(run, path, tiled);
        case Desktop::None: return false;
    }
    return false;
}

}  // namespace

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
    // Only an absolute path: it can never be taken for an option of a tool.
    if (path.empty() || path[0] != '/') return false;
    const Desktop desktop = detect_desktop(std::getenv("XDG_CURRENT_DESKTOP"),
                                           std::getenv("SWAYSOCK"), std::getenv("DISPLAY"));
    const bool tiled = style == WallpaperStyle::Tiled;
    const std::string& preview = services().preview_bmp_path;
    const std::string data_folder = preview.substr(0, preview.find_last_of('/') + 1);
    const bool text_only = utf8_names_only(desktop) && !valid_utf8(path);
    std::string stem;
    if (desktop == Desktop::Sway || text_only) {
        // sway runs word expansion on the path, commands included; the others
        // cannot read the name. Either gets a name of our own in our data
        // folder, never the user's.
        stem = data_folder + ".wallpaper";
    } else if ((desktop == Desktop::Kde || desktop == Desktop::Lxqt || desktop == Desktop::Xfce) &&
               path == preview) {
        // These desktops ignore a path equal to the one they show, and the
        // converted bitmap is always the same file with new content: hand
        // them a fresh link to it each time.
        stem = data_folder + ".preview";
    }
    if (stem.empty()) {
        // Shown by its own name: no alias of ours is needed any more.
        const bool ok = apply_to(desktop, path, tiled, run);
        if (ok) drop_aliases(data_folder);
        return ok;
    }
    std::string previous;
    const std::string alias = fresh_alias(path, stem, previous);
    const bool unusable = desktop == Desktop::Sway ? !sway_safe(alias)
                                                   : text_only && (alias.empty() || !valid_utf8(alias));
    if (unusable) {
        if (!alias.empty()) ::unlink(alias.c_str());
        return false;
    }
    if (alias.empty()) return apply_to(desktop, path, tiled, run);
    const bool ok = apply_to(desktop, alias, tiled, run);
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
