#pragma once
// The services of a real run: the environment's folders, real message boxes,
// real programs and the running desktop's wallpaper.
#include "platform/core/services.h"

namespace platform {

Services real_services();

}  // namespace platform
