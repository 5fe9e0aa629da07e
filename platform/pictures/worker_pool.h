#pragma once
// Threads that decode behind the one that shows pictures. A pool lives as
// long as the process, so that dropping the work queued on it never waits
// for a task to end.
#include <functional>

namespace platform {

class WorkerPool {
public:
    explicit WorkerPool(int threads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Runs `task` on one of the pool's threads, after everything this thread
    // wrote before the call.
    void start(std::function<void()> task);

private:
    struct Threads;     // the backend's own pool
    Threads* threads_;  // never deleted
};

}  // namespace platform
