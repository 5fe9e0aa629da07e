#include "platform/pictures/win32/com.h"

namespace platform::win32 {
namespace {

// Leaves COM when the thread ends, if it joined here. Single-threaded, as
// the window thread joins for its windows (a thread cannot change its
// apartment once joined); the decoders' objects never leave their thread.
struct ComMembership {
    ComMembership()
        : joined(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComMembership() {
        if (joined) ::CoUninitialize();
    }
    const bool joined;
};

}  // namespace

void join_com_on_this_thread() { thread_local ComMembership membership; }

}  // namespace platform::win32
