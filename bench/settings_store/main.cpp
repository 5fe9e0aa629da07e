// Time to read, change and write back settings stores of 1 MiB in shapes
// that have been slow: one value wrapped over very many lines, very many
// short lines, one very long line. Prints milliseconds for each step.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/store/store_text.h"

namespace {

std::size_t kBytes = 1 << 20;
const std::string kKey = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

std::string header() { return "REGEDIT4\n\n[" + kKey + "]\n"; }

// A value of another type wrapped onto lines of one byte and its line end.
std::string wrapped(const std::string& name) {
    std::string s = header() + "\"" + name + "\"=hex:00,\\\n";
    while (s.size() + 3 < kBytes) s += "\\\n";
    return s + "0\n";
}

std::string many_values() {
    std::string s = header();
    for (int i = 0; s.size() + 20 < kBytes; ++i) s += "\"v" + std::to_string(i) + "\"=\"x\"\n";
    return s;
}

std::string long_line() {
    std::string s = header() + "\"Long\"=\"";
    s.append(kBytes - s.size() - 2, 'a');
    return s + "\"\n";
}

std::string blank_lines() {
    std::string s = header();
    s.append(kBytes - s.size(), '\n');
    return s;
}

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void run(const char* shape, const std::string& bytes, const std::string& name) {
    namespace st = platform::store_text;
    auto t0 = std::chrono::steady_clock::now();
    auto store = st::parse(bytes);
    const double parse_ms = ms_since(t0);
    if (!store) {
        std::printf("%-34s does not parse\n", shape);
        return;
    }
    t0 = std::chrono::steady_clock::now();
    st::set_string_value(*store, kKey, name, "2");
    const double set_ms = ms_since(t0);
    t0 = std::chrono::steady_clock::now();
    const std::string out = st::render(*store);
    const double render_ms = ms_since(t0);
    std::printf("%-34s %8zu lines  parse %8.1f ms  set %8.1f ms  render %8.1f ms\n", shape,
                store->lines.size(), parse_ms, set_ms, render_ms);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) kBytes = std::stoul(argv[1]);  // another size, to see how the time grows
    run("wrapped value, replaced", wrapped("WallpaperStyle"), "WallpaperStyle");
    run("wrapped value, other value added", wrapped("Other"), "WallpaperStyle");
    run("short values", many_values(), "WallpaperStyle");
    run("one long line", long_line(), "WallpaperStyle");
    run("blank lines", blank_lines(), "WallpaperStyle");
}
