#pragma once
// The settings store's text, REGEDIT4 as a registry export writes it: parsed
// into lines, edited, rendered back. Pure: no files, no services, so a fuzzer
// can drive it alone. Lines the program does not own (comments, other
// sections, values of other types) render byte for byte as they were read.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::store_text {

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

// Parses the bytes of a store; nullopt when they are no registry export. An
// empty text is an empty store.
std::optional<Store> parse(std::string_view bytes);

// The text of a store: each line keeps its own line end; new lines, and a
// last line that had none, take the first line's.
std::string render(const Store& store);

// True when a key exists: a main key, the desktop key (there from the start),
// a key with a section, or one with a section of a subkey. Key paths are
// compared without regard to ASCII case.
bool key_exists(const Store& store, std::string_view key);

// Sets a string value under a key, replacing every value of that name there
// (and the continuation lines of a wrapped one); a new key gets a section.
void set_string_value(Store& store, const std::string& key, const std::string& name,
                      const std::string& value);

// A string value; the last line of that name wins, as on import, and a value
// of another type hides an earlier string.
std::optional<std::string> string_value(const Store& store, std::string_view key,
                                        std::string_view name);

}  // namespace platform::store_text
