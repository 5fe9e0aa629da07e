#include "registry/registry_paths.h"

#include "platform/core/registry_keys.h"

namespace registry {
namespace {

using platform::kMainKeyNames;

bool is_main_key(std::int32_t handle) {
    for (const auto& k : kMainKeyNames)
        if (static_cast<std::int32_t>(k.handle) == handle) return true;
    return false;
}

}  // namespace

std::int32_t Main_Key_Handle(const std::string& name) {
    for (const auto& k : kMainKeyNames)
        if (name == k.name) return static_cast<std::int32_t>(k.handle);
    return 0;
}

KeyPathFault split_key_path(std::string& key_path, std::int32_t& main_key) {
    if (key_path.compare(0, 5, "HKEY_") != 0 || (!key_path.empty() && key_path.back() == '\\'))
        return KeyPathFault::Format;
    const auto slash = key_path.find('\\');
    if (slash == std::string::npos) {
        main_key = Main_Key_Handle(key_path);
        key_path.clear();
    } else {
        main_key = Main_Key_Handle(key_path.substr(0, slash));
        key_path = key_path.substr(slash + 1);
    }
    return is_main_key(main_key) ? KeyPathFault::None : KeyPathFault::MainKey;
}

std::string Registry_Error_Text(std::int32_t code) {
    switch (code) {
        case 2:
        case 1010: return "Bad Key Name";
        case 4:
        case 1012: return "Can't Read Key";
        case 5: return "Access to this key is denied";
        case 8:
        case 14: return "Out of memory";
        case 87: return "Invalid Parameter";
        case 234: return "There is more data than the buffer has been allocated to hold.";
        case 1009:
        case 1015: return "The Registry Database is corrupt!";
        case 1011: return "Can't Open Key";
        case 1013: return "Can't Write Key";
        default: break;
    }
    // A number is written with a leading blank where a minus sign would go.
    const std::string number = code >= 0 ? " " + std::to_string(code) : std::to_string(code);
    return "Undefined Error Code:  " + number;
}

}  // namespace registry
