#pragma once
// Where a thumbnail window is in its life, and what a request does in each
// stage. A page loads with the event pump served once per picture, so any
// request (the browser's "Thumbnail View", the scroll bar, a click on a
// cell, the close box) may come in while a page loads.
//
// Cancel in the progress window is not a request to the window: it sets the
// shared cancel flag, which the loading loop reads after each pump.

namespace thumbs {

enum class Stage {
    Opening,        // its load step runs and loads the first page; the browser that opened it waits
    Loading,        // a later page loads
    Ready,          // nothing loads: shown, or left hidden after a Cancel or an empty folder
    ClosedOpening,  // closed during its load step; the browser that opened it lets it go
    ClosedLoading,  // closed while a later page loaded; it lives until that loop has returned
    Closed,
};

enum class Request {
    Open,        // "Thumbnail View": asked of the window being opened, else of the one there is
    ChangePage,  // the scroll bar moved
    Click,       // a cell clicked: enlarge it, or put it back
    Close,       // the close box, or the unload before a new "Thumbnail View"
};

enum class Answer {
    Now,           // served at once (Open and Close first close the window there is)
    AfterLoading,  // remembered, the latest winning, and served once the loading has returned
    Ignored,
};

// One row per stage, one column per request.
// clang-format off
inline constexpr Answer kAnswers[6][4] = {
    //                   Open                  ChangePage            Click            Close
    /* Opening       */ {Answer::AfterLoading, Answer::AfterLoading, Answer::Ignored, Answer::Now},
    /* Loading       */ {Answer::Now,          Answer::AfterLoading, Answer::Ignored, Answer::Now},
    /* Ready         */ {Answer::Now,          Answer::Now,          Answer::Now,     Answer::Now},
    /* ClosedOpening */ {Answer::AfterLoading, Answer::Ignored,      Answer::Ignored, Answer::Ignored},
    /* ClosedLoading */ {Answer::Now,          Answer::Ignored,      Answer::Ignored, Answer::Ignored},
    /* Closed        */ {Answer::Now,          Answer::Ignored,      Answer::Ignored, Answer::Ignored},
};
// clang-format on

constexpr Answer answer(Stage stage, Request request) {
    return kAnswers[static_cast<int>(stage)][static_cast<int>(request)];
}

// A window's stage and the page change it keeps for later. Whoever moves the
// window into a busy stage (its load step, a page's loading loop) moves it
// out again when it returns.
class WindowLife {
public:
    Stage stage() const { return stage_; }
    Answer answer(Request request) const { return thumbs::answer(stage_, request); }
    bool loading() const { return stage_ == Stage::Opening || stage_ == Stage::Loading; }
    bool closed() const {
        return stage_ == Stage::ClosedOpening || stage_ == Stage::ClosedLoading || stage_ == Stage::Closed;
    }

    // The load step has returned.
    void load_step_returned() { stage_ = stage_ == Stage::Opening ? Stage::Ready : Stage::Closed; }
    // A page's loading loop starts; true when it is the loop that moves the
    // stage back (a loop inside the load step leaves that to the load step).
    bool loop_started() {
        if (stage_ != Stage::Ready) return false;
        stage_ = Stage::Loading;
        return true;
    }
    // That loop has returned; true when the window was closed meanwhile and
    // may now go.
    bool loop_returned() {
        const bool closed_meanwhile = stage_ == Stage::ClosedLoading;
        stage_ = closed_meanwhile ? Stage::Closed : Stage::Ready;
        return closed_meanwhile;
    }
    void close() {
        page_deferred_ = false;
        if (stage_ == Stage::Opening) {
            stage_ = Stage::ClosedOpening;
        } else if (stage_ == Stage::Loading) {
            stage_ = Stage::ClosedLoading;
        } else {
            stage_ = Stage::Closed;
        }
    }

    // A page change answered AfterLoading; the bar's value at serving time
    // says which page.
    void defer_page() { page_deferred_ = true; }
    bool page_deferred() const { return page_deferred_; }
    void page_served() { page_deferred_ = false; }

private:
    Stage stage_ = Stage::Opening;
    bool page_deferred_ = false;
};

}  // namespace thumbs
