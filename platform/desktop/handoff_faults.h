#pragma once
// What each backend gives the hand-off queue (handoff_queue.cpp): the way a
// fault met on the queue's thread reaches the guard box on the window thread.
#include <exception>

namespace platform {

// Called once, on the window thread, with the first wallpaper queued.
void prepare_handoff_faults();

// Called on the hand-off thread; the fault is shown in the guard box on the
// window thread, one box each.
void pass_handoff_fault(std::exception_ptr fault);

}  // namespace platform
