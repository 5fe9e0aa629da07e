#pragma once
// What the program leaves behind when it ends at once: its temporary files
// and, on Linux, the process groups of the tools it runs. Both are recorded
// here while they live, so that leave_now can remove the files and kill the
// groups before the process ends, whichever thread is creating one at that
// moment. Windows runs no tools (its wallpaper call is the system's).
#ifndef _WIN32
#include <sys/types.h>
#endif

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// A temporary file being written: open, and locked by this process until it
// is placed or dropped, so that a sweep by another instance can tell it from
// one whose writer is gone. On Linux mode 0600 and flock; on Windows the
// open handle is the lock: it shares neither reading nor writing, so the
// sweep's open fails while it lives, and shares deleting, so that it can be
// renamed into place while still open.
struct TempFile {
#ifdef _WIN32
    void* handle = nullptr;  // the file's HANDLE; nullptr when there is none
#else
    int fd = -1;
#endif
    std::string path;
};

// "<prefix>.glimmerbox-tmp." and six random letters or digits.
inline constexpr std::string_view kTempMarker = ".glimmerbox-tmp.";
inline constexpr std::size_t kTempRandom = 6;

// Creates "<prefix>.glimmerbox-tmp.XXXXXX" and records it, in one step.
// No file (fd -1, handle nullptr) and errno set on failure; ECANCELED once
// the program is leaving.
TempFile create_temp_file(const std::string& prefix);
// Closes the file and renames it to target, forgetting it in the same step;
// 0 or the errno of the failure (the file is then removed).
int place_temp_file(TempFile& temp, const std::string& target);
// Closes and removes the file and forgets it.
void drop_temp_file(TempFile& temp);

// True for a name create_temp_file makes.
bool is_temp_file_name(std::string_view name);
// Removes the folder's temporary files of ours whose writer is gone (their
// lock can be taken); a file another running instance is writing stays.
void sweep_temp_files(const std::string& folder);

#ifndef _WIN32
// Runs spawn (which starts a program in a process group of its own and
// returns its id, or -1) and records the group, in one step. -1 without
// running spawn once the program is leaving.
pid_t spawn_tracked_group(const std::function<pid_t()>& spawn);
// The group's leader has ended: the group is no longer ours to kill. Call
// before the leader is reaped, while its id cannot be reused.
void forget_process_group(pid_t group);
#endif

// Removes every recorded temporary file, kills every recorded process group
// and ends the process with the status (on Windows at once, as
// TerminateProcess does: no library's detach step runs under a live thread); from its start on, no temporary file
// or tool can be created or placed. Never returns in the real program.
void leave_now(int status);

// Tests: replaces the final _exit with a function that returns, after which
// leave_now returns too and everything is refused as while leaving;
// reset_leaving_for_tests makes the registry usable again.
void set_leave_end_for_tests(std::function<void(int)> end);
void reset_leaving_for_tests();

}  // namespace platform
