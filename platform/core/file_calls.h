#pragma once
// The system calls that read and replace the user's files, in one place so
// that a test can make any of them fail (an I/O error, a full disk, a signal,
// a short transfer) and see what the user keeps. Without a fault set they are
// the plain calls.
#include <cstddef>

namespace platform::file_calls {

enum class Call { Open, Read, Write, Fsync, Rename, Link, Unlink };

// What a call does instead of its work: 0 its work, an errno a failure with
// that errno, kShort (reads and writes) moves at most one byte.
inline constexpr int kShort = -1;
using Fault = int (*)(Call);
void set_fault_for_tests(Fault fault);

int open(const char* path, int flags, unsigned mode = 0);
long read(int fd, void* buffer, std::size_t size);
long write(int fd, const void* buffer, std::size_t size);
int fsync(int fd);
int link(const char* from, const char* to);
int unlink(const char* path);
// no_replace: fails with EEXIST rather than replace a file (EINVAL where the
// file system cannot promise that).
int rename(const char* from, const char* to, bool no_replace = false);

}  // namespace platform::file_calls
