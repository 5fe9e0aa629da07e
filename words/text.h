#pragma once
// A text a person reads, and the sentences made from it. Every such text is
// an entry of words/catalogue.h; this is how the code speaks them.
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace words {

// One entry of the catalogue: its English text, which is also the key a
// translation is looked up by. Values go in at %1 ... %9.
struct Text {
    const char* english;
};

// Declares a catalogue entry. The second argument is what the extraction
// script collects into po/glimmerbox.pot (see scripts/dev/extract-words), so
// an entry made this way can never be left out of a translation.
#define GLIMMERBOX_TEXT(name, english) inline constexpr ::words::Text name{english}

// The entry in the user's language: the English unless a translation of the
// text domain "glimmerbox" is installed for the user's locale. The one place
// a translation hooks in.
const char* translated(const Text& text);

// The pattern with %1 ... %9 replaced by the values in turn. A value is put
// in as it is, never read as a pattern; a placeholder without a value, and a
// % that starts none, stay as they are.
std::string fill(std::string_view pattern, std::span<const std::string> values);

// The entry in the user's language, with its values put in.
std::string say(const Text& text);
std::string say(const Text& text, std::span<const std::string> values);
std::string say(const Text& text, std::initializer_list<std::string> values);

}  // namespace words
