#include "platform/core/services.h"

namespace platform {
namespace {

Services& current() {
    static Services s = environment_services();
    return s;
}

}  // namespace

const Services& services() { return current(); }

void install_services(Services s) { current() = std::move(s); }

}  // namespace platform
