#pragma once
// Windows result codes (GetLastError) as a person reads them and as the
// errno values the shared headers speak.
#include <string>

namespace platform::win32 {

// The system's own sentence for the code, without its line end.
std::string system_message(unsigned long code);

// The errno value closest to the code: EACCES, ENOENT, EEXIST, ENOSPC, ...;
// EIO for the rest.
int errno_of(unsigned long code);

}  // namespace platform::win32
