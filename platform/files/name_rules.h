#pragma once
// Rules about names that both builds share: the order of listed names, how a
// name is quoted in a message, and the names a rename refuses everywhere.
#include <string>

namespace platform::name_rules {

// Case-insensitive order, ties broken by the bytes so the order is stable.
bool name_less(const std::string& a, const std::string& b);

// A name as a message shows it: quoted, and shortened in the middle when it
// is too long to read.
std::string quoted_name(const std::string& name);

// Throws 52 (NameRefused): "The name "…" cannot be used: why."
[[noreturn]] void refuse_name(const std::string& name, const std::string& why);

// Refuses (52) an empty name, "." and "..", '*', '?' and control characters.
void check_new_name(const std::string& name);

}  // namespace platform::name_rules
