// Patterns and the shared rules about names: plain C++, the same on every
// system.
#include "platform/files/name_rules.h"

#include <algorithm>
#include <string_view>

#include "platform/core/ascii.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "words/catalogue.h"

namespace platform {
namespace {

// One mask against a name: '*' any run of bytes, '?' exactly one byte.
bool matches_mask(std::string_view name, std::string_view mask) {
    std::size_t n = 0, m = 0;
    std::size_t star = std::string_view::npos, star_n = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            star = m++;
            star_n = n;
        } else if (m < mask.size() && (mask[m] == '?' || lower_ascii(mask[m]) == lower_ascii(name[n]))) {
            ++m;
            ++n;
        } else if (star != std::string_view::npos) {
            m = star + 1;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

std::string_view trim_spaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

bool matches_pattern(std::string_view name, std::string_view patterns) {
    while (true) {
        const std::size_t semi = patterns.find(';');
        const std::string_view mask = trim_spaces(patterns.substr(0, semi));
        // "*.*" is the classic spelling of "every file", dot or not.
        if (mask == "*.*") return true;
        if (!mask.empty() && matches_mask(name, mask)) return true;
        if (semi == std::string_view::npos) return false;
        patterns.remove_prefix(semi + 1);
    }
}

namespace name_rules {

bool name_less(const std::string& a, const std::string& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = static_cast<unsigned char>(lower_ascii(a[i]));
        const unsigned char y = static_cast<unsigned char>(lower_ascii(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

void refuse_name(const std::string& name, const std::string& why) {
    throw Error(err::kBadFileName, words::kNameCannotBeUsed, {shortened_display_text(name), why});
}

void check_new_name(const std::string& name) {
    const auto refuse = [&](const std::string& why) { refuse_name(name, why); };
    if (name.empty()) refuse(words::say(words::kNameEmpty));
    if (name == "." || name == "..") refuse(words::say(words::kNameIsFolder));
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '*' || c == '?') refuse(words::say(words::kNameHasWildcard, {std::string(1, c)}));
        if (u < 0x20 || u == 0x7f) refuse(words::say(words::kNameHasControl));
    }
}

}  // namespace name_rules
}  // namespace platform
