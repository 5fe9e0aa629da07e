#include "platform/core/file_calls.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace platform::file_calls {
namespace {

std::atomic<Fault> g_fault = nullptr;

// The errno a set fault makes this call fail with (errno set too), or 0.
int fault_of(Call call) {
    const Fault fault = g_fault.load();
    const int e = fault ? fault(call) : 0;
    if (e > 0) errno = e;
    return e;
}

std::size_t shortened(int fault, std::size_t size) { return fault == kShort && size > 1 ? 1 : size; }

}  // namespace

void set_fault_for_tests(Fault fault) { g_fault = fault; }

int open(const char* path, int flags, unsigned mode) {
    return fault_of(Call::Open) > 0 ? -1 : ::open(path, flags, mode);
}

long read(int fd, void* buffer, std::size_t size) {
    const int e = fault_of(Call::Read);
    return e > 0 ? -1 : ::read(fd, buffer, shortened(e, size));
}

long write(int fd, const void* buffer, std::size_t size) {
    const int e = fault_of(Call::Write);
    return e > 0 ? -1 : ::write(fd, buffer, shortened(e, size));
}

int fsync(int fd) { return fault_of(Call::Fsync) > 0 ? -1 : ::fsync(fd); }

int link(const char* from, const char* to) { return fault_of(Call::Link) > 0 ? -1 : ::link(from, to); }

int unlink(const char* path) { return fault_of(Call::Unlink) > 0 ? -1 : ::unlink(path); }

int rename(const char* from, const char* to, bool no_replace) {
    if (fault_of(Call::Rename) > 0) return -1;
    if (!no_replace) return ::rename(from, to);
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
}

}  // namespace platform::file_calls
