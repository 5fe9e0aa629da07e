#pragma once
// Key paths and result codes in text form, without the message boxes: what
// the registry routines show is built on these. Plain C++.
#include <cstdint>
#include <string>

namespace registry {

// The predefined handle of a main key name (exact case), or 0.
std::int32_t Main_Key_Handle(const std::string& name);

// The text for a registry result code.
std::string Registry_Error_Text(std::int32_t code);

// What is wrong with a key path, if anything.
enum class KeyPathFault { None, Format, MainKey };

// Split_Key_Path without its message boxes: on Format (no "HKEY_" in front,
// or a backslash at the end) nothing is changed; otherwise key_path becomes
// the subkey path and main_key the handle, MainKey when it is 0.
KeyPathFault split_key_path(std::string& key_path, std::int32_t& main_key);

}  // namespace registry
