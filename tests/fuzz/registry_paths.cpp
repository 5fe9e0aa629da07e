// Fuzzes split_key_path and Main_Key_Handle with a key path.
#include <cstdint>
#include <string>

#include "check.h"
#include "platform/core/ascii.h"
#include "registry/registry_paths.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    // A main key is named whole, in exact case.
    const std::int32_t whole = registry::Main_Key_Handle(path);
    check(whole == 0 || (path.starts_with("HKEY_") && path.find('\\') == std::string::npos &&
                         registry::Main_Key_Handle(platform::lower_ascii(path)) == 0),
          "a main key that is not a whole name in capitals");

    std::string key_path = path;
    const std::int32_t untouched = 0x5A5A5A5A;
    std::int32_t main_key = untouched;
    const auto fault = registry::split_key_path(key_path, main_key);
    if (!path.starts_with("HKEY_") || path.back() == '\\') {
        check(fault == registry::KeyPathFault::Format && key_path == path && main_key == untouched,
              "a refused path changed its arguments");
        return 0;
    }
    const auto slash = path.find('\\');
    check(key_path == (slash == std::string::npos ? "" : path.substr(slash + 1)),
          "the rest of the path is not what follows the main key");
    check(main_key == registry::Main_Key_Handle(path.substr(0, slash)), "the main key is not its name's");
    check(fault == (main_key == 0 ? registry::KeyPathFault::MainKey : registry::KeyPathFault::None), "a wrong fault");
    return 0;
}
