// Parsing, editing and rendering the settings store's REGEDIT4 text.
#include "platform/store/store_text.h"

#include <algorithm>
#include <cstddef>

#include "platform/core/ascii.h"
#include "platform/core/registry_keys.h"

namespace platform::store_text {
namespace {

bool same_text(std::string_view a, std::string_view b) { return equal_ignoring_ascii_case(a, b); }

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


}  // namespace

std::optional<Store> parse(std::string_view bytes) {
    Store store;
    store.lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    std::size_t start = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") start = 3;  // UTF-8 byte order mark
    bool first = true;
    bool continues = false;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        Line line;
        line.text = std::string(bytes.substr(start, end - start));
        if (end < bytes.size()) line.eol = "\n";
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.eol = "\r" + line.eol;
            if (first) store.crlf = true;
        }
        // The last line, with no newline after it, gets one when the store is
        // written: a CR left at its end would then read as part of that line end.
        if (line.eol == "\r")
            while (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
        start = end + 1;
        if (first) {
            const std::string_view t = trim(line.text);
            if (t != "REGEDIT4" && t != "Windows Registry Editor Version 5.00") return std::nullopt;
            line.kind = Line::Header;
            first = false;
        } else if (!classify(line, continues)) {
            return std::nullopt;
        }
        continues = continues_onto_next(line);
        store.lines.push_back(std::move(line));
    }
    return store;
}

std::string render(const Store& store) {
    const char* eol = store.crlf ? "\r\n" : "\n";
    std::string out;
    std::size_t size = 0;
    for (const auto& line : store.lines) size += line.text.size() + 2;
    out.reserve(size);
    for (const auto& line : store.lines) {
        out += line.text;
        out += line.eol.empty() || line.eol == "\r" ? std::string_view(eol) : std::string_view(line.eol);
    }
    return out;
}

bool key_exists(const Store& store, std::string_view key) {
    if (same_text(key, kDesktopKeyPath)) return true;
    for (const auto& main_key : kMainKeyNames)
        if (same_text(key, main_key.name)) return true;
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

void set_string_value(Store& store, const std::string& key, const std::string& name,
                      const std::string& value) {
    const std::string text = (name.empty() ? std::string("@") : quote(name)) + "=" + quote(value);
    if (store.lines.empty()) {
        store.lines.push_back(Line{"REGEDIT4", Line::Header, {}, {}, {}, {}});
        store.lines.push_back(Line{});
    }
    bool replaced = false;
    std::size_t last_section_end = std::string::npos;
    bool in_key = false;
    bool dropping = false;
    // One pass that moves the kept lines down over the dropped ones, so that
    // a value wrapped over many lines costs no more than the lines it has.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < store.lines.size(); ++i) {
        Line& line = store.lines[i];
        // Drop the continuation lines of a replaced value of another type.
        if (dropping && line.kind == Line::Continuation) continue;
        dropping = false;
        if (kept != i) store.lines[kept] = std::move(line);
        Line& at = store.lines[kept++];
        if (at.kind == Line::Section) {
            in_key = same_text(at.key, key);
            if (in_key) last_section_end = kept;
            continue;
        }
        if (!in_key) continue;
        if (at.kind != Line::Blank && at.kind != Line::Comment) last_section_end = kept;
        if ((at.kind == Line::StringValue || at.kind == Line::OtherValue) && same_text(at.name, name)) {
            at = Line{text, Line::StringValue, {}, name, value, at.eol};
            dropping = replaced = true;
        }
    }
    store.lines.resize(kept);
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

std::optional<std::string> string_value(const Store& store, std::string_view key,
                                        std::string_view name) {
    std::optional<std::string> found;
    bool in_key = false;
    for (const auto& line : store.lines) {
        if (line.kind == Line::Section) in_key = same_text(line.key, key);
        else if (in_key && same_text(line.name, name)) {
            if (line.kind == Line::StringValue) found = line.value;
            else if (line.kind == Line::OtherValue) found.reset();
        }
    }
    return found;
}

}  // namespace platform::store_text
