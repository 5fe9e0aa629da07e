#include "platform/desktop/real_services.h"

#include "platform/core/runtime.h"

namespace platform {

// The wallpaper needs no backend here: the call is the system's own.
Services real_services() {
    Services s = environment_services();
    s.message_box = show_message_box;
    return s;
}

}  // namespace platform
