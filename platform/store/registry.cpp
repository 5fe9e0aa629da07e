// The settings store: a REGEDIT4 text file read and rewritten as a whole on
// every change. Lines the program does not own (comments, other sections,
// values of other types) are kept byte for byte; a file that cannot be read
// as a registry export is never overwritten.
#include "platform/store/registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/services.h"

namespace platform {
namespace {

constexpr long kOk = 0;
constexpr long kFileNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kInvalidParameter = 87;
constexpr long kBadDatabase = 1009;

constexpr std::string_view kDesktopKey = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

struct MainKey {
    HKEY handle;
    const char* name;
};
constexpr MainKey kMainKeys[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},     {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},   {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"}, {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};

const char* main_key_name(HKEY key) {
    for (const auto& m : kMainKeys)
        if (m.handle == key) return m.name;
    return nullptr;
}

// Open keys: handle -> full key path. Handles are never reused within a run.
std::mutex g_mutex;
std::map<HKEY, std::string> g_open_keys;
HKEY g_next_handle = 0x100;

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_text(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// One line of the file, without its line end, and what it holds.
struct Line {
    enum Kind { Header, Blank, Comment, Section, StringValue, OtherValue, Continuation };
    std::string text;
    Kind kind = Blank;
    std::string key;    // Section: the key path
    std::string name;   // values: the value name ("" for the default value)
    std::string value;  // StringValue: the text
    std::string eol;    // the line's own line end; "" for a new line
};

struct Store {
    std::vector<Line> lines;
    bool crlf = false;
};

// Parses a quoted string starting at text[pos] == '"'; on success pos is past
// the closing quote.
bool parse_quoted(const std::string& text, std::size_t& pos, std::string& out) {
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            const char n = text[++pos];
            if (n == '\\' || n == '"') out += n;
            else if (n == 'n') out += '\n';
            else if (n == 'r') out += '\r';
            else {
                out += '\\';
                out += n;
            }
        } else {
            out += c;
        }
    }
    return false;
}

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Classifies one line; false when it is none of the known kinds.
bool classify(Line& line, bool continues) {
    const std::string_view t = trim(line.text);
    if (continues) {
        line.kind = Line::Continuation;
        return true;
    }
    if (t.empty()) {
        line.kind = Line::Blank;
    } else if (t.front() == ';' || t.front() == '#') {
        line.kind = Line::Comment;
    } else if (t.front() == '[') {
        if (t.back() != ']') return false;
        line.kind = Line::Section;
        line.key = std::string(t.substr(1, t.size() - 2));
    } else if (t.front() == '"' || t.front() == '@') {
        std::string s(t);
        std::size_t pos = 0;
        if (s[0] == '@') {
            pos = 1;
            line.name.clear();
        } else if (!parse_quoted(s, pos, line.name)) {
            return false;
        }
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
        if (pos >= s.size() || s[pos] != '=') return false;
        ++pos;
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
        if (pos < s.size() && s[pos] == '"') {
            if (!parse_quoted(s, pos, line.value)) return false;
            if (!trim(std::string_view(s).substr(pos)).empty()) return false;
            line.kind = Line::StringValue;
        } else {
            if (pos >= s.size()) return false;
            line.kind = Line::OtherValue;  // dword:, hex:, hex(n):, "-" (delete)
        }
    } else {
        return false;
    }
    return true;
}

// True when the next line of the file belongs to this line's value: a value
// of another type wraps onto the next line after a backslash.
bool continues_onto_next(const Line& line) {
    const std::string_view t = trim(line.text);
    return (line.kind == Line::OtherValue || line.kind == Line::Continuation) && !t.empty() &&
           t.back() == '\\';
}

// The largest store taken for ours; anything bigger is no settings store.
constexpr std::size_t kMaxStoreBytes = 1 << 20;

// Reads the store: kOk, kAccessDenied when the file exists but cannot be
// read, kBadDatabase when it is not a registry export: no regular file (a
// FIFO, a device), over 1 MiB, or text that does not parse.
long load_store(Store& store) {
    store = Store{};
    const std::string& path = services().settings_store_path;
    // Without blocking, so that a FIFO in its place cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A missing file, or a folder on the way that is missing or is no
        // folder: an empty store, which is written on the first change.
        if (errno == ENOENT || errno == ENOTDIR) return kOk;
        return kAccessDenied;
    }
    std::string bytes;
    long rc = kOk;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        rc = kAccessDenied;
    } else if (!S_ISREG(st.st_mode) || static_cast<std::uintmax_t>(st.st_size) > kMaxStoreBytes) {
        rc = kBadDatabase;
    } else {
        // Bounded even when the file grows while it is read.
        char buf[8192];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) rc = kAccessDenied;
            if (n <= 0) break;
            bytes.append(buf, static_cast<std::size_t>(n));
            if (bytes.size() > kMaxStoreBytes) {
                rc = kBadDatabase;
                break;
            }
        }
    }
    ::close(fd);
    if (rc != kOk) return rc;
    // An empty file holds nothing to keep: it is written afresh.
    if (bytes.empty()) return kOk;

    std::size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;  // UTF-8 byte order mark
    bool first = true;
    bool continues = false;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        Line line;
        line.text = bytes.substr(start, end - start);
        if (end < bytes.size()) line.eol = "\n";
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.eol = "\r" + line.eol;
            if (first) store.crlf = true;
        }
        start = end + 1;
        if (first) {
            const std::string_view t = trim(line.text);
            if (t != "REGEDIT4" && t != "Windows Registry Editor Version 5.00") return kBadDatabase;
            line.kind = Line::Header;
            first = false;
        } else if (!classify(line, continues)) {
            return kBadDatabase;
        }
        continues = continues_onto_next(line);
        store.lines.push_back(std::move(line));
    }
    return kOk;
}

std::string render(const Store& store) {
    // Each line keeps its own line end; new lines, and a last line that had
    // none, take the first line's.
    const char* eol = store.crlf ? "\r\n" : "\n";
    std::string out;
    for (const auto& line : store.lines) {
        out += line.text;
        out += line.eol.empty() || line.eol == "\r" ? std::string(eol) : line.eol;
    }
    return out;
}

// A key path as the file spells it: the main key name and the subkey path
// joined by one backslash.
std::string full_path(const std::string& base, const std::string& sub_key) {
    return sub_key.empty() ? base : base + "\\" + sub_key;
}

bool key_exists(const Store& store, const std::string& key) {
    if (same_text(key, kDesktopKey)) return true;
    for (const auto& m : kMainKeys)
        if (same_text(key, m.name)) return true;
    for (const auto& line : store.lines) {
        if (line.kind != Line::Section) continue;
        // A key exists when it has a section or when one of its subkeys has.
        if (same_text(line.key, key)) return true;
        if (line.key.size() > key.size() && line.key[key.size()] == '\\' &&
            same_text(std::string_view(line.key).substr(0, key.size()), key))
            return true;
    }
    return false;
}

// The key path that a handle stands for, or "" when it is no handle.
std::string key_of(HKEY key) {
    if (const char* name = main_key_name(key)) return name;
    const auto it = g_open_keys.find(key);
    return it == g_open_keys.end() ? std::string() : it->second;
}

void set_value(Store& store, const std::string& key, const std::string& name,
               const std::string& value) {
    const std::string text = (name.empty() ? std::string("@") : quote(name)) + "=" + quote(value);
    if (store.lines.empty()) {
        store.lines.push_back(Line{"REGEDIT4", Line::Header, {}, {}, {}, {}});
        store.lines.push_back(Line{});
    }
    bool replaced = false;
    std::size_t last_section_end = std::string::npos;
    bool in_key = false;
    for (std::size_t i = 0; i < store.lines.size(); ++i) {
        Line& line = store.lines[i];
        if (line.kind == Line::Section) {
            in_key = same_text(line.key, key);
            if (in_key) last_section_end = i + 1;
            continue;
        }
        if (!in_key) continue;
        if (line.kind != Line::Blank && line.kind != Line::Comment) last_section_end = i + 1;
        if ((line.kind == Line::StringValue || line.kind == Line::OtherValue) &&
            same_text(line.name, name)) {
            line = Line{text, Line::StringValue, {}, name, value, line.eol};
            // Drop the continuation lines of a value of another type.
            while (i + 1 < store.lines.size() && store.lines[i + 1].kind == Line::Continuation)
                store.lines.erase(store.lines.begin() + static_cast<std::ptrdiff_t>(i + 1));
            replaced = true;
        }
    }
    if (replaced) return;
    Line value_line{text, Line::StringValue, {}, name, value, {}};
    if (last_section_end != std::string::npos) {
        auto at = store.lines.begin() + static_cast<std::ptrdiff_t>(last_section_end);
        // A file that ends inside a wrapped value (its last line ends in a
        // backslash) would take the new line as more of that value: an empty
        // line ends the wrapping first.
        if (continues_onto_next(store.lines[last_section_end - 1]))
            at = store.lines.insert(at, Line{{}, Line::Continuation, {}, {}, {}, {}}) + 1;
        store.lines.insert(at, value_line);
        return;
    }
    if (!store.lines.empty() && store.lines.back().kind != Line::Blank &&
        store.lines.back().kind != Line::Header)
        store.lines.push_back(Line{});
    if (store.lines.back().kind == Line::Header) store.lines.push_back(Line{});
    store.lines.push_back(Line{"[" + key + "]", Line::Section, key, {}, {}, {}});
    store.lines.push_back(value_line);
}

}  // namespace

long RegOpenKeyExA(HKEY key, const std::string& sub_key, std::uint32_t /*options*/,
                   std::uint32_t /*sam_desired*/, HKEY* result) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!result) return kInvalidParameter;
    const std::string base = key_of(key);
    if (base.empty()) return kInvalidHandle;
    Store store;
    if (const long rc = load_store(store); rc != kOk) return rc;
    const std::string path = full_path(base, sub_key);
    if (!key_exists(store, path)) return kFileNotFound;
    const HKEY handle = g_next_handle++;
    g_open_keys[handle] = path;
    *result = handle;
    return kOk;
}

long RegSetValueExA(HKEY key, const std::string& value_name, std::uint32_t /*reserved*/,
                    std::uint32_t type, const char* data, std::uint32_t cb_data) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::string path = key_of(key);
    if (path.empty()) return kInvalidHandle;
    if (type != REG_SZ || !data || cb_data == 0) return kInvalidParameter;
    const void* nul = std::memchr(data, '\0', cb_data);
    if (!nul) return kInvalidParameter;
    const std::string value(data, static_cast<const char*>(nul));
    Store store;
    if (const long rc = load_store(store); rc != kOk) return rc;
    // The key may have gone from the file since it was opened.
    if (!key_exists(store, path)) return kFileNotFound;
    set_value(store, path, value_name, value);
    // The old store stays whole until the new one is complete.
    try {
        write_file_atomically(services().settings_store_path, render(store));
    } catch (const Error&) {
        return kAccessDenied;
    }
    return kOk;
}

long RegCloseKey(HKEY key) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (main_key_name(key)) return kOk;
    return g_open_keys.erase(key) ? kOk : kInvalidHandle;
}

std::optional<std::string> read_string_value(const std::string& key_path,
                                             const std::string& value_name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Store store;
    if (load_store(store) != kOk) return std::nullopt;
    std::optional<std::string> found;
    bool in_key = false;
    for (const auto& line : store.lines) {
        if (line.kind == Line::Section) in_key = same_text(line.key, key_path);
        else if (in_key && same_text(line.name, value_name)) {
            // The last line wins, as on import; a value of another type hides
            // an earlier string.
            if (line.kind == Line::StringValue) found = line.value;
            else if (line.kind == Line::OtherValue) found.reset();
        }
    }
    return found;
}

}  // namespace platform
