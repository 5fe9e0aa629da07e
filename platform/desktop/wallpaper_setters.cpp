// How each kind of desktop row sets the wallpaper: settings keys through
// gsettings or xfconf-query, each read back; Plasma's shell script over
// D-Bus, which prints back what it set; tools that take the picture on
// their command line.
#include "platform/desktop/wallpaper_setters.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

#include <set>

#include "platform/desktop/tool_quoting.h"
#include "platform/files/file_uri.h"

namespace platform::wallpaper_tools {
namespace {

constexpr int kTimeLimitMs = 5000;

bool succeeded(const CommandResult& r) { return r.started && !r.timed_out && r.exit_code == 0; }

bool run_ok(const CommandRunner& run, const std::vector<std::string>& argv) {
    return succeeded(run(argv, kTimeLimitMs));
}

std::string word_for(const StyleWords& words, bool tiled) {
    return std::string(tiled ? words.tiled : words.centred);
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

bool apply_gsettings(const CommandRunner& run, const Gsettings& keys, const std::string& path, bool tiled) {
    // A settings string must be UTF-8 (gsettings crashes on anything else,
    // measured). Such names reach here as a name of our own; the check stays
    // as the last guard before gsettings.
    if (!keys.picture_as_uri && !valid_utf8(path)) return false;
    const std::string schema(keys.schema), picture = keys.picture_as_uri ? file_uri(path) : path;
    bool ok = true;
    for (const std::string_view key : keys.picture_keys)
        ok = gsettings_set(run, schema, std::string(key), picture) && ok;
    return gsettings_set(run, schema, std::string(keys.style_key), word_for(keys.style, tiled)) && ok;
}

// Every "/backdrop/screen0/monitor*/workspace*/" the desktop knows.
std::vector<std::string> xfce_backdrops(const CommandRunner& run, const std::string& channel) {
    std::set<std::string> prefixes;
    const CommandResult r = run({"xfconf-query", "-c", channel, "-l"}, kTimeLimitMs);
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
bool xfconf_set(const CommandRunner& run, const std::string& channel, const std::string& property,
                const char* type, const std::string& value) {
    if (!run_ok(run, {"xfconf-query", "-c", channel, "-p", property, "-n", "-t", type, "-s", value}))
        return false;
    const CommandResult r = run(read_in_utf8({"xfconf-query", "-c", channel, "-p", property}), kTimeLimitMs);
    return succeeded(r) && r.output == value + "\n";
}

bool apply_xfconf(const CommandRunner& run, const Xfconf& props, const std::string& path, bool tiled) {
    const std::string channel(props.channel);
    bool ok = true;
    for (const auto& p : xfce_backdrops(run, channel)) {
        const std::string picture = p + std::string(props.picture_property);
        const std::string style = p + std::string(props.style_property);
        ok = xfconf_set(run, channel, picture, "string", path) && ok;
        ok = xfconf_set(run, channel, style, "int", word_for(props.style, tiled)) && ok;
    }
    return ok;
}

bool apply_plasma_script(const PlasmaScript& script, const std::string& path, bool tiled) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript");
    call << QString::fromStdString(plasma_script(path, word_for(script.fill_mode, tiled)));
    const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeLimitMs);
    // The script prints what each desktop now holds; a desktop that is
    // missing or refused the setting shows up here.
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           plasma_shows(reply.arguments().constFirst().toString().toStdString(), path);
}

bool apply_tools(const CommandRunner& run, const Tools& tools, const std::string& path, bool tiled) {
    for (const Tool& tool : tools) {
        const CommandResult r = run(tool_command(tool, path, tiled), kTimeLimitMs);
        if (r.started) return succeeded(r);
    }
    return false;
}

}  // namespace

std::vector<std::string> tool_command(const Tool& tool, const std::string& path, bool tiled) {
    constexpr std::string_view picture = "{picture}", style = "{style}";
    std::vector<std::string> argv;
    for (const std::string_view word : tool.argv) {
        // One pass over the word as written: a path that holds "{style}" stays as it is.
        std::string out;
        for (std::size_t i = 0; i < word.size();) {
            if (word.substr(i).starts_with(picture)) {
                out += path;
                i += picture.size();
            } else if (word.substr(i).starts_with(style)) {
                out += word_for(tool.style, tiled);
                i += style.size();
            } else {
                out += word[i++];
            }
        }
        argv.push_back(std::move(out));
    }
    return argv;
}

bool set_as_row_says(const HowSet& how, const std::string& path, bool tiled, const CommandRunner& run) {
    if (const auto* keys = std::get_if<Gsettings>(&how)) return apply_gsettings(run, *keys, path, tiled);
    if (const auto* props = std::get_if<Xfconf>(&how)) return apply_xfconf(run, *props, path, tiled);
    if (const auto* script = std::get_if<PlasmaScript>(&how)) return apply_plasma_script(*script, path, tiled);
    return apply_tools(run, std::get<Tools>(how), path, tiled);
}

}  // namespace platform::wallpaper_tools
