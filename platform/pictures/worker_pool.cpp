#include "platform/pictures/worker_pool.h"

#include <QThreadPool>

#include <utility>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace platform {
namespace {

// Qt's queue hands a task over under locks that ThreadSanitizer cannot see (Qt
// is not built with it). Releasing this token before a task is queued and
// acquiring it before the task reads anything tells it that the hand-over
// orders the task after whatever its caller wrote first.
[[maybe_unused]] char g_hand_over;

void handed_over() {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(&g_hand_over);
#endif
}

void taken_over() {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(&g_hand_over);
#endif
}

}  // namespace

struct WorkerPool::Threads {
    QThreadPool pool;
};

WorkerPool::WorkerPool(int threads) : threads_(new Threads) { threads_->pool.setMaxThreadCount(threads); }

void WorkerPool::start(std::function<void()> task) {
    std::function<void()> run = [task = std::move(task)] {
        taken_over();
        task();
    };
    handed_over();
    threads_->pool.start(std::move(run));
}

}  // namespace platform
