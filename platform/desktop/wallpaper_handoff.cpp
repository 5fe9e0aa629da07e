#include "platform/desktop/wallpaper_handoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/error.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/desktop/desktop_wallpaper.h"

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

const QEvent::Type kFaultsWaiting = static_cast<QEvent::Type>(QEvent::User + 0x6b0);

// Lives on the window thread: the hand-off thread posts it an event, and it
// shows the faults that thread left in the guard box.
class FaultReporter : public QObject {
public:
    explicit FaultReporter(std::function<std::vector<std::exception_ptr>()> take) : take_(std::move(take)) {}

protected:
    bool event(QEvent* e) override {
        if (e->type() != kFaultsWaiting) return QObject::event(e);
        for (const auto& fault : take_()) guarded([&] { std::rethrow_exception(fault); });
        return true;
    }

private:
    std::function<std::vector<std::exception_ptr>()> take_;
};

class Handoff {
public:
    void queue(Job job) {
        {
            std::lock_guard lock(mutex_);
            if (!reporter_) {
                // Made on the first call, on the window thread, which then owns it.
                reporter_ = new FaultReporter([this] {
                    std::lock_guard taken(mutex_);
                    return std::exchange(faults_, {});
                });
                std::thread([this] { run(); }).detach();
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
            {
                std::lock_guard lock(mutex_);
                if (fault) {
                    faults_.push_back(fault);
                    QCoreApplication::postEvent(reporter_, new QEvent(kFaultsWaiting));
                }
                --unfinished_;
            }
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    std::size_t unfinished_ = 0;  // queued or being handed over
    std::vector<std::exception_ptr> faults_;
    FaultReporter* reporter_ = nullptr;  // never deleted, as the thread
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
