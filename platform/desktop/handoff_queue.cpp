// The hand-off queue, the same on every system: one thread of its own that
// writes the preview bitmap and calls the desktop, one job after the other.
// How a fault it meets reaches the window thread is the backend's part
// (handoff_faults.h).
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/core/error.h"
#include "platform/core/services.h"
#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/handoff_faults.h"
#include "platform/desktop/wallpaper_handoff.h"

namespace platform {
namespace {

struct Job {
    Picture to_convert;
    std::string path;
    WallpaperStyle style = WallpaperStyle::Centered;
};

void hand_over(const Job& job) {
    std::string path = job.path;
    if (!job.to_convert.empty()) {
        const std::string preview = services().preview_bmp_path;
        bool written = false;
        skip_on_error([&] {
            save_picture_bmp(job.to_convert, preview);
            written = true;
        });
        if (!written) return;
        path = preview;
    }
    if (!path.empty()) set_desktop_wallpaper(path, job.style, kSpifUpdateIniFileSendChange);
}

class Handoff {
public:
    void queue(Job job) {
        {
            std::lock_guard lock(mutex_);
            if (!started_) {
                prepare_handoff_faults();
                std::thread([this] { run(); }).detach();
                started_ = true;
            }
            jobs_.push_back(std::move(job));
            ++unfinished_;
        }
        changed_.notify_all();
    }

    bool busy() {
        std::lock_guard lock(mutex_);
        return unfinished_ > 0;
    }

    void wait_idle() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return unfinished_ == 0; });
    }

private:
    // The hand-off thread: lives as long as the process, so that nothing
    // ever waits for a desktop tool to return.
    void run() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return !jobs_.empty(); });
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            std::exception_ptr fault;
            try {
                hand_over(job);
            } catch (...) {
                fault = std::current_exception();
            }
            job = Job{};  // the picture is let go before the job counts as done
            // Passed on before the job counts as done, so that a wait sees it.
            if (fault) pass_handoff_fault(fault);
            {
                std::lock_guard lock(mutex_);
                --unfinished_;
            }
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    std::size_t unfinished_ = 0;  // queued or being handed over
    bool started_ = false;
};

Handoff& handoff() {
    static auto* h = new Handoff;  // outlives exit(), as its thread
    return *h;
}

}  // namespace

void queue_wallpaper(Picture to_convert, std::string path) {
    const WallpaperStyle style = stored_wallpaper_style();
    handoff().queue(Job{std::move(to_convert), std::move(path), style});
}

bool wallpaper_handoff_busy() { return handoff().busy(); }

void wait_for_wallpapers() { handoff().wait_idle(); }

}  // namespace platform
