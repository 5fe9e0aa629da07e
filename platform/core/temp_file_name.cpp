// The names of our temporary files, the same on every system.
#include "platform/core/leaving.h"

namespace platform {

bool is_temp_file_name(std::string_view name) {
    if (name.size() < kTempMarker.size() + kTempRandom) return false;
    return name.substr(name.size() - kTempRandom - kTempMarker.size(), kTempMarker.size()) == kTempMarker;
}

}  // namespace platform
