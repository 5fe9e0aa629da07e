// Fuzzes the file pattern matcher: a file name up to the first newline, then ';'-separated masks.
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "platform/core/ascii.h"
#include "platform/files/files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string name(input.substr(0, newline));
    const std::string patterns(newline == std::string_view::npos ? std::string_view()
                                                                 : input.substr(newline + 1));

    const bool matched = platform::matches_pattern(name, patterns);

    // Any name matches "*".
    check(platform::matches_pattern(name, "*"), "a name does not match *");
    // Case does not matter, on either side.
    check(platform::matches_pattern(platform::upper_ascii(name), patterns) == matched, "case of the name matters");
    check(platform::matches_pattern(name, platform::upper_ascii(patterns)) == matched, "case of the masks matters");
    // A list matches when one of its masks does.
    if (const std::size_t semi = patterns.find(';'); semi != std::string::npos)
        check(matched == (platform::matches_pattern(name, patterns.substr(0, semi)) ||
                          platform::matches_pattern(name, patterns.substr(semi + 1))),
              "a list differs from its masks");
    // A plain name matches itself, "?"s of its length, and its first byte followed by "*".
    const bool plain = !name.empty() && name.find_first_of("*?;") == std::string::npos && name.front() != ' ' &&
                       name.back() != ' ';
    if (plain) {
        check(platform::matches_pattern(name, name), "a name does not match itself");
        check(platform::matches_pattern(name, std::string(name.size(), '?')), "a name does not match ?...");
        check(!platform::matches_pattern(name, std::string(name.size() + 1, '?')), "a name matches one ? too many");
        check(platform::matches_pattern(name, name.substr(0, 1) + "*"), "a name does not match its first byte and *");
        check(!platform::matches_pattern(name, name + "x"), "a name matches itself with a byte more");
    }
    // No mask at all matches nothing.
    check(!platform::matches_pattern(name, ""), "an empty list matched");
    return 0;
}
