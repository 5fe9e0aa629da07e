// The decoding pool on Windows: a few standard threads started as work
// comes, taking tasks first come, first served, and idle on a condition
// variable when there is none. The pool is never deleted, so its threads
// wait for work until the process ends.
#include "platform/pictures/worker_pool.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {

struct WorkerPool::Threads {
    explicit Threads(int count) : most(count < 1 ? 1 : count) {}

    // The mutex orders each task after whatever its caller wrote before
    // queueing it, for ThreadSanitizer too (nothing hidden from it here).
    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            ++idle;
            ready.wait(lock, [&] { return !tasks.empty(); });
            --idle;
            std::function<void()> task = std::move(tasks.front());
            tasks.pop_front();
            lock.unlock();
            task();
            task = nullptr;  // what it captured goes before the next wait
            lock.lock();
        }
    }

    const int most;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<std::function<void()>> tasks;
    int started = 0;
    int idle = 0;
};

WorkerPool::WorkerPool(int threads) : threads_(new Threads(threads)) {}

void WorkerPool::start(std::function<void()> task) {
    Threads& t = *threads_;
    {
        std::lock_guard lock(t.mutex);
        t.tasks.push_back(std::move(task));
        // A thread more only while every one started is busy.
        if (t.idle < int(t.tasks.size()) && t.started < t.most) {
            ++t.started;
            std::thread([&t] { t.run(); }).detach();
        }
    }
    t.ready.notify_one();
}

}  // namespace platform
