#pragma once
// ASCII case folding. Names are byte strings that need not be UTF-8, so only
// A-Z and a-z fold; every other byte stays as it is.
#include <string>
#include <string_view>

namespace platform {

inline char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char upper_ascii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string lower_ascii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower_ascii(c);
    return out;
}

inline std::string upper_ascii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = upper_ascii(c);
    return out;
}

// True when the two are the same text without regard to ASCII case.
inline bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
    return true;
}

}  // namespace platform
