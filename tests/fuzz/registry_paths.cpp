// Fuzzes split_key_path and Main_Key_Handle with a key path.
#include <cstdint>
#include <string>

#include "check.h"
#include "registry/registry_paths.h"

namespace {

const char* const kMainKeyNames[] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

bool is_main_key_name(const std::string& s) {
    for (const char* n : kMainKeyNames)
        if (s == n) return true;
    return false;
}

void fuzz_split(const std::string& path) {
    // Main_Key_Handle knows exactly the seven names, in exact case.
    const std::int32_t whole = registry::Main_Key_Handle(path);
    check((whole != 0) == is_main_key_name(path), "a main key other than the seven names");

    std::string key_path = path;
    const std::int32_t untouched = 0x5A5A5A5A;
    std::int32_t main_key = untouched;
    const auto fault = registry::split_key_path(key_path, main_key);

    const bool refused = path.rfind("HKEY_", 0) != 0 || path.back() == '\\';
    if (refused) {
        check(fault == registry::KeyPathFault::Format && key_path == path && main_key == untouched,
              "a refused path changed its arguments");
        return;
    }
    const auto slash = path.find('\\');
    const std::string main_name = slash == std::string::npos ? path : path.substr(0, slash);
    const std::string rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    check(key_path == rest, "the rest of the path is not what follows the main key");
    check(main_key == registry::Main_Key_Handle(main_name), "the main key is not its name's");
    check(fault == (main_key == 0 ? registry::KeyPathFault::MainKey : registry::KeyPathFault::None), "a wrong fault");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_split(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
