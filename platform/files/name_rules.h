#pragma once
// Rules about names that both builds share: the order of listed names and
// the names a rename refuses everywhere.
#include <string>

namespace platform::name_rules {

// Case-insensitive order, ties broken by the bytes so the order is stable.
bool name_less(const std::string& a, const std::string& b);

// Throws 52 (NameRefused) with the name, shortened as a message shows it,
// and why (words::kNameCannotBeUsed).
[[noreturn]] void refuse_name(const std::string& name, const std::string& why);

// Refuses (52) an empty name, "." and "..", '*', '?' and control characters.
void check_new_name(const std::string& name);

}  // namespace platform::name_rules
