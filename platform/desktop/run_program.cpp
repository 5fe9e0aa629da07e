// Runs an external program from an argument vector (never a shell), with
// standard input from /dev/null, standard output captured up to a bound, and
// the whole process group killed at the time limit.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "platform/core/leaving.h"
#include "platform/desktop/desktop_wallpaper.h"

extern char** environ;

namespace platform {
namespace {

constexpr std::size_t kMaxOutput = 1 << 20;

// Reads what is there; false at end of input or on error.
bool drain(int fd, std::string& out) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            if (out.size() < kMaxOutput)
                out.append(buf, std::min<std::size_t>(static_cast<std::size_t>(n), kMaxOutput - out.size()));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return false;
    }
}

// Starts the program in a group of its own, so that helpers it starts die
// with it at the limit, with default signal handling whatever the caller has
// set: standard input from /dev/null, standard output into `out_fd`,
// standard error to /dev/null. Its id, or -1 when it could not start.
pid_t spawn_in_own_group(const std::vector<std::string>& argv, int out_fd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // Recorded as it starts, so that ending the program kills the group.
    const pid_t pid = spawn_tracked_group([&] {
        pid_t started = -1;
        return ::posix_spawnp(&started, args[0], &actions, &attr, args.data(), environ) == 0 ? started : -1;
    });
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return pid;
}

// The wait status of a program that has ended or been killed.
int reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// True once the program has ended, while it is not yet reaped.
bool has_ended(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

int kill_group_and_reap(pid_t pid) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    forget_process_group(pid);
    return reap(pid);
}

struct Ending {
    bool timed_out = false;
    int status = 0;
    bool pipe_open = true;  // the program's output has not reached its end
};

// Collects the program's output from `fd` until it ends or the time is up,
// when its group is killed; either way it is reaped.
Ending wait_collecting(pid_t pid, int fd, int timeout_ms, std::string& output) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    Ending end;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            end.timed_out = true;
            end.status = kill_group_and_reap(pid);
            return end;
        }
        if (end.pipe_open) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 20)));
            end.pipe_open = drain(fd, output);
        } else {
            ::usleep(static_cast<useconds_t>(std::min<long long>(left, 10)) * 1000);
        }
        if (has_ended(pid)) {
            // Seen ended before it is reaped: until then its id cannot name
            // another process, so the group is forgotten while still ours.
            forget_process_group(pid);
            end.status = reap(pid);
            return end;
        }
    }
}

}  // namespace

CommandResult run_program(const std::vector<std::string>& argv, int timeout_ms) {
    CommandResult result;
    if (argv.empty()) return result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return result;
    const pid_t pid = spawn_in_own_group(argv, fds[1]);
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return result;
    }
    result.started = true;
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    const Ending end = wait_collecting(pid, fds[0], timeout_ms, result.output);
    // What the program wrote just before it ended; a helper it left behind
    // holding the pipe is not waited for.
    if (end.pipe_open) drain(fds[0], result.output);
    ::close(fds[0]);
    result.timed_out = end.timed_out;
    // Killed by a signal, or at the limit: no exit code.
    if (!end.timed_out && WIFEXITED(end.status)) result.exit_code = WEXITSTATUS(end.status);
    return result;
}

}  // namespace platform
