#include "platform/pictures/win32/com.h"

namespace platform::win32 {
namespace {

// Leaves COM when the thread ends, if it joined here.
struct ComMembership {
    ComMembership() : joined(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComMembership() {
        if (joined) ::CoUninitialize();
    }
    const bool joined;
};

}  // namespace

void join_com_on_this_thread() { thread_local ComMembership membership; }

}  // namespace platform::win32
