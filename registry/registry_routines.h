#pragma once
// Writing string values to the user's settings store by a key path in text
// form ("HKEY_CURRENT_USER\Control Panel\Desktop"), with the user told in
// message boxes when anything goes wrong.
#include <cstdint>
#include <string>

#include "registry/registry_paths.h"

namespace registry {

// Splits a key path into its main key and the subkey path; the caller's
// string is shortened in place to the subkey path. Refuses a path that does
// not start with "HKEY_" or ends in a backslash (nothing changed) and a main
// key name not in the table, each with a message box.
void Split_Key_Path(std::string& key_path, std::int32_t& main_key);

// Stores data as a string value: -1 when stored, 0 otherwise (the user has
// been told why). Leaves key_path holding the subkey path only.
std::int16_t Write_String_Value(std::string& key_path, std::string& value_name, std::string& data);

}  // namespace registry
