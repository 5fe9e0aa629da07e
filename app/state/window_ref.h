#pragma once
// An application-wide window reference: the window exists at most once and
// using the reference creates it (creating a window runs its load step).
#include <functional>
#include <memory>

#include "platform/core/runtime.h"

template <class W>
class WindowRef {
public:
    explicit WindowRef(std::function<std::unique_ptr<W>()> create) : create_(std::move(create)) {}

    // Get or create.
    W& operator()() {
        if (!window_) window_ = create_();
        return *window_;
    }
    bool loaded() const { return window_ != nullptr; }
    W* get() const { return window_.get(); }

    // Forgets the window; it is destroyed once the current event is over,
    // since this may run inside one of its own handlers. The next use
    // creates a new one.
    void release() {
        if (!window_) return;
        std::shared_ptr<W> doomed(window_.release());
        platform::post([doomed] {});
    }
    // Hands the window over to the caller, who then decides when it goes;
    // the next use creates a new one.
    std::unique_ptr<W> take() { return std::move(window_); }
    // Destroys the window now (tests, shutdown).
    void reset() { window_.reset(); }

private:
    std::function<std::unique_ptr<W>()> create_;
    std::unique_ptr<W> window_;
};
