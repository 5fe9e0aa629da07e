#pragma once
// The names of the settings store's main keys and of the desktop's key, for
// the store itself and for those who write into it.
#include <array>
#include <cstdint>
#include <string_view>

namespace platform {

// The seven main keys and their predefined handles, in their classic order.
struct MainKeyName {
    std::string_view name;
    std::uint32_t handle;
};
inline constexpr std::array<MainKeyName, 7> kMainKeyNames{{
    {"HKEY_CLASSES_ROOT", 0x80000000u},
    {"HKEY_CURRENT_USER", 0x80000001u},
    {"HKEY_LOCAL_MACHINE", 0x80000002u},
    {"HKEY_USERS", 0x80000003u},
    {"HKEY_PERFORMANCE_DATA", 0x80000004u},
    {"HKEY_CURRENT_CONFIG", 0x80000005u},
    {"HKEY_DYN_DATA", 0x80000006u},
}};

// The current user's desktop settings: the wallpaper and its style.
inline constexpr std::string_view kDesktopSubkey = "Control Panel\\Desktop";
inline constexpr std::string_view kDesktopKeyPath = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

}  // namespace platform
