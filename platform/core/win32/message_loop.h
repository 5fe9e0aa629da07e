#pragma once
// The Win32 message loop of the run time, shared by the event loop and
// DoEvents, and the hook through which the controls take the keys of their
// windows (Tab, Enter, Esc, the frame's child-window keys) before a message is
// dispatched.
#include <windows.h>

namespace platform::win32 {

// Returns true when it handled the message itself.
using MessageFilter = bool (*)(MSG& msg);
void set_message_filter(MessageFilter filter);

// Translates and dispatches one message, through the filter first.
void serve_message(MSG& msg);

// The icon every window of the program shows (the program's own, else the
// system's application icon).
HICON application_icon(bool small);

}  // namespace platform::win32
