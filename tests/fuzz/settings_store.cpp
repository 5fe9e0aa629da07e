// Fuzzes the store text: parse, render and re-parse agree; a string value set reads back, replaces a
// wrapped value whole, leaves other lines alone, and setting it twice changes nothing.
#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>

#include "check.h"
#include "platform/core/ascii.h"
#include "platform/store/store_text.h"

namespace {

using namespace platform::store_text;

bool same_lines(const Store& a, const Store& b) {
    const auto fields = [](const Line& l) { return std::tie(l.text, l.kind, l.key, l.name, l.value); };
    return std::equal(a.lines.begin(), a.lines.end(), b.lines.begin(), b.lines.end(),
                      [&](const Line& x, const Line& y) { return fields(x) == fields(y); });
}

Store reparsed(const Store& store, const char* what) {
    const auto again = parse(render(store));
    check(again.has_value(), what);
    return *again;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto parsed = parse(bytes);
    if (!parsed) return 0;
    check(same_lines(reparsed(*parsed, "a rendered store does not parse"), *parsed),
          "a rendered store parses to other lines");

    const std::string key = "HKEY_CURRENT_USER\\Control Panel\\Desktop";
    const std::string value = "C:\\pictures\\\"quoted\" \\n\r\n #%;[x]=@\\";
    Store store = *parsed;
    set_string_value(store, key, "Wallpaper", value);
    const Store once = reparsed(store, "a store with the value set does not parse");
    check(string_value(once, key, "Wallpaper") == value, "the value set does not read back");
    for (std::size_t i = 0; i + 1 < store.lines.size(); ++i)
        check(!(store.lines[i].kind == Line::StringValue && store.lines[i].value == value &&
                store.lines[i + 1].kind == Line::Continuation),
              "a replaced value keeps a continuation line");
    // Every other line is still there, in its order.
    std::size_t j = 0;
    bool in_key = false, dropped = false;
    for (const Line& line : parsed->lines) {
        if (line.kind == Line::Section) in_key = platform::lower_ascii(line.key) == platform::lower_ascii(key);
        const bool replaced = in_key && (line.kind == Line::StringValue || line.kind == Line::OtherValue) &&
                              platform::lower_ascii(line.name) == "wallpaper";
        if (replaced || (dropped && line.kind == Line::Continuation)) {
            dropped = true;
            continue;
        }
        dropped = false;
        while (j < once.lines.size() && once.lines[j].text != line.text) ++j;
        check(j < once.lines.size(), "a line that is not the value's was changed or lost");
        ++j;
    }
    const std::string first = render(once);
    Store twice = once;
    set_string_value(twice, key, "Wallpaper", value);
    check(render(twice) == first, "setting the same value twice changed the store");
    return 0;
}
