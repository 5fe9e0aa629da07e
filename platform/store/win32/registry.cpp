// The registry routines over the real registry: each call goes to the
// system's own, and its result code comes back as it is.
#include "platform/store/registry.h"

#include <windows.h>

#include <cstdint>

#include "platform/core/registry_keys.h"

namespace platform {
namespace {

// Handles are 32 bits wide and sign-extended to a pointer, as Windows
// itself widens them on 64-bit systems (HKEY_CURRENT_USER is
// 0xFFFFFFFF80000001 there).
HKEY real_key(RegKey key) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(key)));
}

RegKey our_key(HKEY key) { return static_cast<RegKey>(reinterpret_cast<std::uintptr_t>(key)); }

}  // namespace

long RegOpenKeyExA(RegKey key, const std::string& sub_key, std::uint32_t options, std::uint32_t sam_desired,
                   RegKey* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    HKEY opened = nullptr;
    const LONG rc = ::RegOpenKeyExA(real_key(key), sub_key.c_str(), options, sam_desired, &opened);
    if (rc == ERROR_SUCCESS) *result = our_key(opened);
    return rc;
}

long RegSetValueExA(RegKey key, const std::string& value_name, std::uint32_t reserved, std::uint32_t type,
                    const char* data, std::uint32_t cb_data) {
    return ::RegSetValueExA(real_key(key), value_name.c_str(), reserved, type,
                            reinterpret_cast<const BYTE*>(data), cb_data);
}

long RegCloseKey(RegKey key) { return ::RegCloseKey(real_key(key)); }

std::optional<std::string> read_string_value(const std::string& key_path, const std::string& value_name) {
    const std::size_t slash = key_path.find('\\');
    const std::string main_name = key_path.substr(0, slash);
    const std::string sub_key = slash == std::string::npos ? std::string() : key_path.substr(slash + 1);
    const MainKeyName* main_key = nullptr;
    for (const auto& k : kMainKeyNames)
        if (k.name == main_name) main_key = &k;
    if (!main_key) return std::nullopt;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(real_key(main_key->handle), sub_key.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> value;
    // A value may change between asking its size and reading it: ask again.
    for (int attempt = 0; attempt < 4 && !value; ++attempt) {
        DWORD type = 0, size = 0;
        if (::RegQueryValueExA(key, value_name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            break;
        std::string bytes(size, '\0');
        const LONG rc = ::RegQueryValueExA(key, value_name.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) break;
        bytes.resize(size);
        // Stored with its terminating NUL, or (written by others) without.
        if (const std::size_t nul = bytes.find('\0'); nul != std::string::npos) bytes.resize(nul);
        value = std::move(bytes);
    }
    ::RegCloseKey(key);
    return value;
}

}  // namespace platform
