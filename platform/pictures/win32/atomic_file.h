#pragma once
// Replacing a file atomically on Windows, for the bitmap this layer saves.
// The files layer's own atomic write is to take its place when it has a
// Windows one; until then it lives here.
#include <string>

namespace platform::win32 {

// Writes the bytes to a temporary file beside the path, flushes it, and
// moves it over the path (MoveFileExA, replacing, written through), so that
// a reader sees the old file or the new one, never half of one. A read-only
// file is not replaced. Throws 75 when it cannot be written; the temporary
// file is removed then.
void write_file_replacing(const std::string& path, const std::string& bytes);

}  // namespace platform::win32
