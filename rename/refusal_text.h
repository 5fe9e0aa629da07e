#pragma once
// The rename dialog's words for a rename the platform refused.
#include <string>

#include "platform/core/error.h"

// Why the rename of old_name to the typed name was refused, chosen by the
// error's typed reason; the platform's own sentence where it says it best.
std::string rename_refusal_text(const platform::Error& e, const std::string& typed, const std::string& old_name);
