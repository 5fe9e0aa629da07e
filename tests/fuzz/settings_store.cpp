// Fuzzes the settings store parser: the input is the store file. Opening the
// desktop key, setting a value, closing and reading back must never crash; a
// file that could not be parsed stays byte for byte as it was; a value that
// was set reads back, and setting it again changes nothing.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/store/registry.h"
#include "platform/core/services.h"

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "settings store: %s\n", what);
        std::abort();
    }
}

std::string g_folder;  // a private folder, removed at exit
std::string g_store;   // the store file in it

void remove_folder() {
    ::unlink(g_store.c_str());
    ::rmdir(g_folder.c_str());
}

void set_up() {
    // Every successful set writes and syncs the file: on a memory filesystem
    // that costs little, so the fuzzer gets through many more inputs.
    std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    folder += "/glimmerbox-fuzz-store.XXXXXX";
    check(::mkdtemp(folder.data()) != nullptr, "no temporary folder");
    g_folder = folder;
    g_store = g_folder + "/registry.reg";
    std::atexit(remove_folder);
    platform::Services s;
    s.settings_store_path = g_store;
    s.message_box = [](const platform::MessageBoxRequest&) -> int { std::abort(); };
    s.end_program = [] { std::abort(); };
    platform::install_services(std::move(s));
}

void write_store(const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(g_store.c_str(), "wb");
    check(f != nullptr, "cannot write the store");
    check(size == 0 || std::fwrite(data, 1, size, f) == size, "short write");
    check(std::fclose(f) == 0, "cannot close the store");
}

std::string read_store() {
    std::string bytes;
    FILE* f = std::fopen(g_store.c_str(), "rb");
    if (!f) return bytes;
    char buf[8192];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

constexpr const char* kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

long set_string(platform::HKEY key, const char* name, const std::string& value) {
    return platform::RegSetValueExA(key, name, 0, platform::REG_SZ, value.c_str(),
                                    static_cast<std::uint32_t>(value.size() + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (set_up(), true);
    (void)ready;
    const std::string original(reinterpret_cast<const char*>(data), size);
    write_store(data, size);

    // Reading never changes the file.
    (void)platform::read_string_value(kDesktop, "Wallpaper");
    check(read_store() == original, "a read changed the store");

    platform::HKEY key = 0;
    const long opened =
        platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                platform::KEY_WRITE, &key);
    if (opened != 0) {
        check(read_store() == original, "a failed open changed the store");
        return 0;
    }
    const std::string value = "C:\\pictures\\\"quoted\" \\n #%;[x]=@";
    const long stored = set_string(key, "Wallpaper", value);
    if (stored != 0) {
        check(read_store() == original, "a failed set changed the store");
        check(platform::RegCloseKey(key) == 0, "close of an open key failed");
        return 0;
    }
    const auto back = platform::read_string_value(kDesktop, "Wallpaper");
    check(back.has_value() && *back == value, "the value set does not read back");

    // The rewritten file parses again, and the same value set twice leaves
    // the same bytes.
    const std::string first = read_store();
    check(set_string(key, "Wallpaper", value) == 0, "the rewritten store cannot be set again");
    check(read_store() == first, "setting the same value twice changed the store");
    check(platform::RegCloseKey(key) == 0, "close of an open key failed");
    check(platform::RegCloseKey(key) != 0, "a closed key closed again");
    return 0;
}
