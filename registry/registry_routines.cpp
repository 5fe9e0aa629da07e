#include "registry/registry_routines.h"

#include "platform/store/registry.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "words/catalogue.h"

namespace registry {

void Split_Key_Path(std::string& key_path, std::int32_t& main_key) {
    const std::string given = key_path;
    switch (split_key_path(key_path, main_key)) {
        case KeyPathFault::None: break;
        case KeyPathFault::Format:
            platform::msg_box(words::say(words::kIncorrectFormat) + "\r\n\r\n" + given, platform::MsgIcon::None,
                              platform::MsgButtons::Ok, "");
            break;
        case KeyPathFault::MainKey:
            platform::msg_box(words::say(words::kNotMainKey), platform::MsgIcon::None,
                              platform::MsgButtons::Ok, "");
            break;
    }
}

std::int16_t Write_String_Value(std::string& key_path, std::string& value_name, std::string& data) {
    std::int32_t main_key = 0;
    std::int16_t result = platform::kFalse;
    Split_Key_Path(key_path, main_key);
    if (main_key == 0) return result;

    platform::RegKey key = 0;
    const long opened = platform::RegOpenKeyExA(static_cast<platform::RegKey>(main_key), key_path, 0,
                                                platform::kKeyWrite, &key);
    if (opened != 0) {
        platform::msg_box(Registry_Error_Text(static_cast<std::int32_t>(opened)),
                          platform::MsgIcon::Critical, platform::MsgButtons::Ok,
                          words::say(words::kRegistryOpenError));
        return result;
    }
    const long stored = platform::RegSetValueExA(key, value_name, 0, platform::kRegSz, data.c_str(),
                                                 static_cast<std::uint32_t>(data.size() + 1));
    if (stored == 0) {
        result = platform::kTrue;
    } else {
        platform::msg_box(Registry_Error_Text(static_cast<std::int32_t>(stored)),
                          platform::MsgIcon::Critical, platform::MsgButtons::Ok,
                          words::say(words::kRegistryWriteError));
    }
    platform::RegCloseKey(key);
    return result;
}

}  // namespace registry
