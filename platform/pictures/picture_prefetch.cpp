#include "platform/pictures/picture_prefetch.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "platform/pictures/cell_picture.h"
#include "platform/core/error.h"
#include "platform/pictures/worker_pool.h"
#include "words/catalogue.h"

namespace platform {
namespace {

constexpr int kThreads = 2;

std::atomic<long long> g_decodes{0};

// One pool for every prefetch of the process.
WorkerPool& pool() {
    static WorkerPool p(kThreads);
    return p;
}

struct Outcome {
    Picture picture;
    std::exception_ptr error;
};

// Whatever the decode throws is carried to the thread that takes the
// picture and thrown there unchanged: a picture that does not decode is a
// platform::Error, and anything else is no verdict on the file.
Outcome decode(const PicturePrefetch::Decoder& decoder, const std::string& path, int box_w, int box_h) {
    Outcome out;
    try {
        out.picture = decoder(path, box_w, box_h);
    } catch (const std::bad_alloc&) {
        out.error = std::make_exception_ptr(Error(err::kOutOfMemory, words::kOutOfMemory));
    } catch (...) {
        out.error = std::current_exception();
    }
    ++g_decodes;
    return out;
}

Picture deliver(Outcome&& out) {
    if (out.error) std::rethrow_exception(out.error);
    return std::move(out.picture);
}

}  // namespace

struct PicturePrefetch::State {
    int box_w = 1, box_h = 1;
    PicturePrefetch::Decoder decoder;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<PrefetchJob> queue;
    std::unordered_map<int, Outcome> done;
    std::unordered_multiset<int> running;
    int workers = 0;
    long long generation = 0;

    bool room_ahead() const { return static_cast<int>(done.size() + running.size()) < kReadAhead; }

    // Starts workers while there is queued work and room; call locked.
    static void kick(const std::shared_ptr<State>& s) {
        while (s->workers < kThreads && !s->queue.empty() && s->room_ahead()) {
            ++s->workers;
            pool().start([s] { work(s); });
        }
    }

    static void work(const std::shared_ptr<State>& s) {
        std::unique_lock lock(s->mutex);
        while (!s->queue.empty() && s->room_ahead()) {
            PrefetchJob job = std::move(s->queue.front());
            s->queue.pop_front();
            s->running.insert(job.index);
            const long long generation = s->generation;
            lock.unlock();
            Outcome out = decode(s->decoder, job.path, s->box_w, s->box_h);
            lock.lock();
            s->running.erase(s->running.find(job.index));
            if (generation == s->generation) s->done[job.index] = std::move(out);
            s->changed.notify_all();
        }
        --s->workers;
        s->changed.notify_all();
    }
};

PicturePrefetch::PicturePrefetch(int box_width_px, int box_height_px, Decoder decode)
    : state_(std::make_shared<State>()) {
    state_->box_w = box_width_px;
    state_->box_h = box_height_px;
    state_->decoder = decode ? std::move(decode) : Decoder(load_cell_picture);
}

PicturePrefetch::~PicturePrefetch() { cancel(); }

void PicturePrefetch::enqueue(std::vector<PrefetchJob> jobs) {
    std::lock_guard lock(state_->mutex);
    for (auto& job : jobs) state_->queue.push_back(std::move(job));
    State::kick(state_);
}

Picture PicturePrefetch::take(int index, const std::string& path) {
    std::unique_lock lock(state_->mutex);
    for (;;) {
        if (auto it = state_->done.find(index); it != state_->done.end()) {
            Outcome out = std::move(it->second);
            state_->done.erase(it);
            State::kick(state_);
            lock.unlock();
            return deliver(std::move(out));
        }
        if (state_->running.count(index) == 0) break;
        state_->changed.wait(lock);
    }
    // Not decoded and not being decoded: do it here rather than wait for a
    // worker to reach it.
    std::erase_if(state_->queue, [index](const PrefetchJob& job) { return job.index == index; });
    State::kick(state_);
    lock.unlock();
    return deliver(decode(state_->decoder, path, state_->box_w, state_->box_h));
}

void PicturePrefetch::cancel() {
    std::lock_guard lock(state_->mutex);
    state_->queue.clear();
    state_->done.clear();
    ++state_->generation;
}

int PicturePrefetch::held() const {
    std::lock_guard lock(state_->mutex);
    return static_cast<int>(state_->done.size() + state_->running.size());
}

long long prefetch_decode_count() { return g_decodes.load(); }

}  // namespace platform
