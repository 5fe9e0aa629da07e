#include "registry/registry_paths.h"

#include "platform/core/registry_keys.h"
#include "words/catalogue.h"

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
        case 1010: return words::say(words::kBadKeyName);
        case 4:
        case 1012: return words::say(words::kCantReadKey);
        case 5: return words::say(words::kKeyAccessDenied);
        case 8:
        case 14: return words::say(words::kOutOfMemory);
        case 87: return words::say(words::kInvalidParameter);
        case 234: return words::say(words::kMoreData);
        case 1009:
        case 1015: return words::say(words::kRegistryCorrupt);
        case 1011: return words::say(words::kCantOpenKey);
        case 1013: return words::say(words::kCantWriteKey);
        default: break;
    }
    // A number is written with a leading blank where a minus sign would go.
    const std::string number = code >= 0 ? " " + std::to_string(code) : std::to_string(code);
    return words::say(words::kUndefinedErrorCode, {number});
}

}  // namespace registry
