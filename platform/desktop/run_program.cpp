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

}  // namespace

CommandResult run_program(const std::vector<std::string>& argv, int timeout_ms) {
    CommandResult result;
    if (argv.empty()) return result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // A group of its own, so that helpers it starts die with it at the limit;
    // default signal handling, whatever the caller has set.
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
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return result;
    }
    result.started = true;
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    bool open = true;
    int status = 0;
    bool exited = false;
    while (!exited) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            ::kill(-pid, SIGKILL);
            ::kill(pid, SIGKILL);
            forget_process_group(pid);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            result.timed_out = true;
            break;
        }
        if (open) {
            pollfd p{fds[0], POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 20)));
            open = drain(fds[0], result.output);
        } else {
            ::usleep(static_cast<useconds_t>(std::min<long long>(left, 10)) * 1000);
        }
        // Seen ended before it is reaped: until then its id cannot name
        // another process, so the group is forgotten while still ours.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid) {
            forget_process_group(pid);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            exited = true;
        }
    }
    // What the program wrote just before it ended; a helper it left behind
    // holding the pipe is not waited for.
    if (open) drain(fds[0], result.output);
    ::close(fds[0]);
    if (!result.timed_out && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    return result;
}

}  // namespace platform
