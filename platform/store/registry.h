#pragma once
// The settings store behind the classic registry calls: a REGEDIT4 text file
// (services().settings_store_path). Only what the program uses: open a key for
// writing, set a string value, close. Results are the registry's codes:
// 0 ok, 2 no such key, 5 access denied (the file's permissions, a read-only
// store or file system), 6 invalid handle, 87 invalid parameter, 1009 the
// store is damaged or no store (over 1 MiB among others), 1013 the store
// cannot be written otherwise (a full disk, a file-size limit, a link loop,
// an I/O error, a change that would take it over 1 MiB).
// On Windows these are the real registry's calls under the given main key,
// and their result codes are the real ones.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Named apart from <windows.h>'s macros and types, so that a Windows source
// can include both. A handle is 32 bits, as handles are on 64-bit Windows too.
using RegKey = std::uint32_t;
inline constexpr RegKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHkeyUsers = 0x80000003u;
inline constexpr RegKey kHkeyPerformanceData = 0x80000004u;
inline constexpr RegKey kHkeyCurrentConfig = 0x80000005u;
inline constexpr RegKey kHkeyDynData = 0x80000006u;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kKeyWrite = 0x20006;

long RegOpenKeyExA(RegKey key, const std::string& sub_key, std::uint32_t options,
                   std::uint32_t sam_desired, RegKey* result);
// data holds cb_data bytes, the text and its terminating NUL.
long RegSetValueExA(RegKey key, const std::string& value_name, std::uint32_t reserved,
                    std::uint32_t type, const char* data, std::uint32_t cb_data);
long RegCloseKey(RegKey key);

// Reads a string value back (for the desktop call and for tests).
std::optional<std::string> read_string_value(const std::string& key_path,
                                             const std::string& value_name);

}  // namespace platform
