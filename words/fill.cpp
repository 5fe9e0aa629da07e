#include "words/text.h"

namespace words {

std::string fill(std::string_view pattern, std::span<const std::string> values) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string say(const Text& text) { return translated(text); }

std::string say(const Text& text, std::span<const std::string> values) { return fill(translated(text), values); }

std::string say(const Text& text, std::initializer_list<std::string> values) {
    return say(text, std::span<const std::string>(values.begin(), values.size()));
}

}  // namespace words
