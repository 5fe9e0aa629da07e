#include "platform/pictures/neighbour_pictures.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>

#include "platform/pictures/worker_pool.h"

namespace platform {
namespace {

// One thread: neighbours decode one after another, next first, and the
// thread that shows a picture decodes on its own when it cannot wait.
WorkerPool& pool() {
    static WorkerPool p(1);
    return p;
}

struct Held {
    std::string path;
    FileStamp stamp;
    Picture picture;
    std::uint64_t bytes = 0;
};

bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

}  // namespace

struct NeighbourPictures::State {
    std::uint64_t budget = 0;
    Loader loader;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<std::string> wanted;   // in the order to decode
    std::vector<std::string> skipped;  // wanted, tried, nothing kept
    std::vector<Held> held;
    std::optional<Held> shown;  // the picture take handed out last
    std::optional<std::string> running;
    std::shared_ptr<std::atomic<bool>> stop_running;  // set when it is no longer wanted
    bool worker = false;

    std::uint64_t bytes_held() const {
        std::uint64_t n = 0;
        for (const Held& h : held) n += h.bytes;
        return n;
    }
    bool is_held(const std::string& path) const {
        return std::any_of(held.begin(), held.end(), [&](const Held& h) { return h.path == path; });
    }
    std::optional<std::string> next_job() const {
        for (const std::string& p : wanted) {
            const bool on_view = shown && shown->path == p;
            if (!is_held(p) && !on_view && !contains(skipped, p) && running != p) return p;
        }
        return std::nullopt;
    }

    // Stops the decode running when its path is no longer wanted; call locked.
    void stop_unwanted() {
        if (running && stop_running && !contains(wanted, *running)) stop_running->store(true);
    }

    // Starts the worker when there is work; call locked.
    static void kick(const std::shared_ptr<State>& s) {
        if (s->worker || !s->next_job()) return;
        s->worker = true;
        pool().start([s] { work(s); });
    }

    static void work(const std::shared_ptr<State>& s) {
        std::unique_lock lock(s->mutex);
        while (auto path = s->next_job()) {
            s->running = *path;
            const auto stop = s->stop_running = std::make_shared<std::atomic<bool>>(false);
            // The decode in flight and the pictures kept share the budget.
            const std::uint64_t room = s->budget - std::min(s->budget, s->bytes_held());
            lock.unlock();
            Held h{*path, {}, {}, 0};
            try {
                h.picture = s->loader(*path, room, h.stamp, stop);
            } catch (...) {
                // The error comes again, as the user meets it, when the file is
                // shown and decoded on demand.
                h.picture = Picture();
            }
            if (!h.picture.empty()) h.bytes = std::uint64_t(h.picture.width_px()) * h.picture.height_px() * 4;
            lock.lock();
            s->running.reset();
            s->stop_running.reset();
            // A decode stopped is tried again if its path is wanted again.
            if (contains(s->wanted, *path) && !stop->load()) {
                if (!h.picture.empty() && s->bytes_held() + h.bytes <= s->budget) {
                    s->held.push_back(std::move(h));
                } else {
                    s->skipped.push_back(*path);
                }
            }
            s->changed.notify_all();
        }
        s->worker = false;
        s->changed.notify_all();
    }
};

NeighbourPictures::NeighbourPictures(std::uint64_t budget_bytes, Loader loader) : state_(std::make_shared<State>()) {
    state_->budget = budget_bytes;
    state_->loader = loader ? std::move(loader) : Loader(load_picture_within);
}

NeighbourPictures::~NeighbourPictures() { clear(); }

Picture NeighbourPictures::take(const std::string& path) {
    std::unique_lock lock(state_->mutex);
    // A decode of this very file is not done twice: wait for it. Decodes of
    // other files are never waited for.
    state_->changed.wait(lock, [&] { return state_->running != path; });
    // Queued but not started: it is decoded here, and only here.
    std::erase(state_->wanted, path);
    std::optional<Held> ready;
    auto it = std::find_if(state_->held.begin(), state_->held.end(), [&](const Held& h) { return h.path == path; });
    if (it != state_->held.end()) {
        ready = std::move(*it);
        state_->held.erase(it);
    } else if (state_->shown && state_->shown->path == path) {
        ready = state_->shown;
    }
    lock.unlock();
    Held h{path, {}, {}, 0};
    FileStamp now;
    if (ready && file_stamp(path, now) && now == ready->stamp) {
        h = std::move(*ready);
    } else {
        h.picture = state_->loader(path, std::numeric_limits<std::uint64_t>::max(), h.stamp, nullptr);
    }
    lock.lock();
    state_->shown = h;
    return h.picture;
}

void NeighbourPictures::decode_ahead(std::vector<std::string> paths) {
    std::lock_guard lock(state_->mutex);
    state_->wanted = std::move(paths);
    std::erase_if(state_->held, [&](const Held& h) { return !contains(state_->wanted, h.path); });
    std::erase_if(state_->skipped, [&](const std::string& p) { return !contains(state_->wanted, p); });
    state_->stop_unwanted();
    State::kick(state_);
}

void NeighbourPictures::clear() {
    std::lock_guard lock(state_->mutex);
    state_->wanted.clear();
    state_->skipped.clear();
    state_->held.clear();
    state_->shown.reset();
    state_->stop_unwanted();
}

std::vector<std::string> NeighbourPictures::held_paths() const {
    std::lock_guard lock(state_->mutex);
    std::vector<std::string> paths;
    for (const Held& h : state_->held) paths.push_back(h.path);
    return paths;
}

std::uint64_t NeighbourPictures::held_bytes() const {
    std::lock_guard lock(state_->mutex);
    return state_->bytes_held();
}

void NeighbourPictures::wait_idle() const {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return !state_->worker; });
}

}  // namespace platform
