// Faults of the hand-off queue on Windows: handed to the window thread
// through platform::post.
#include <exception>

#include "platform/core/runtime.h"
#include "platform/desktop/handoff_faults.h"

namespace platform {

void prepare_handoff_faults() {}

void pass_handoff_fault(std::exception_ptr fault) {
    post([fault] { guarded([&] { std::rethrow_exception(fault); }); });
}

}  // namespace platform
