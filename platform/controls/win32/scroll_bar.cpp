// The scroll bar on Win32: 16-bit minimum, maximum and value over the
// system's scroll bar control, which runs from a smaller to a larger value;
// a bar whose maximum lies below its minimum holds the negated values there.
#include <windows.h>

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/controls/scroll_rules.h"
#include "platform/controls/win32/native.h"
#include "platform/core/runtime.h"

namespace platform {
namespace {

int system_sign(std::int16_t min, std::int16_t max) { return max < min ? -1 : 1; }

}  // namespace

// The user's moves: a drag of the thumb raises Scroll for every step and
// Change once it is released; arrows, track clicks and keys raise Change.
class ScrollBridge {
public:
    static void scrolled(ScrollBar& bar, int request) {
        const int sign = system_sign(bar.min_, bar.max_);
        const int lo = std::min(sign * bar.min_, sign * bar.max_), hi = std::max(sign * bar.min_, sign * bar.max_);
        const int now = sign * bar.value_;
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        int pos = now;
        switch (request) {
            case SB_LINEUP: pos = now - bar.small_change_; break;
            case SB_LINEDOWN: pos = now + bar.small_change_; break;
            case SB_PAGEUP: pos = now - bar.large_change_; break;
            case SB_PAGEDOWN: pos = now + bar.large_change_; break;
            case SB_TOP: pos = lo; break;
            case SB_BOTTOM: pos = hi; break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION:
                GetScrollInfo(bar.widget_, SB_CTL, &si);
                pos = si.nTrackPos;
                break;
            default:  // SB_ENDSCROLL
                dragging_ = false;
                return;
        }
        if (request == SB_THUMBTRACK && !dragging_) {
            dragging_ = true;
            bar.drag_start_ = bar.value_;
        }
        const bool released = request == SB_THUMBPOSITION;
        const std::int16_t value = static_cast<std::int16_t>(sign * std::clamp(pos, lo, hi));
        const bool changed = value != bar.value_;
        bar.value_ = value;
        bar.sync_widget();
        if (released) {
            dragging_ = false;
            if (bar.value_ != bar.drag_start_ && bar.on_change) guarded(bar.on_change);
            return;
        }
        if (!changed) return;
        auto& event = request == SB_THUMBTRACK ? bar.on_scroll : bar.on_change;
        if (event) guarded(event);
    }

private:
    static inline bool dragging_ = false;  // one thumb can be dragged at a time
};

ScrollBar::ScrollBar(Form& form, std::string name, Orientation orientation)
    : Control(form,
              FormAccess::create_child(form, "SCROLLBAR",
                                       (orientation == Orientation::Horizontal ? SBS_HORZ : SBS_VERT) | WS_TABSTOP),
              std::move(name)) {
    sync_widget();
    win32::on_notification(widget_, [this](UINT message, WPARAM wp, LPARAM) {
        if (message == WM_HSCROLL || message == WM_VSCROLL) ScrollBridge::scrolled(*this, LOWORD(wp));
    });
}

void ScrollBar::sync_widget() {
    const int sign = system_sign(min_, max_);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
    si.nMin = std::min(sign * min_, sign * max_);
    si.nMax = std::max(sign * min_, sign * max_);
    si.nPage = 0;  // the classic bar's thumb has one size
    si.nPos = sign * value_;
    SetScrollInfo(widget_, SB_CTL, &si, TRUE);
}

void ScrollBar::set_small_change(int v) { small_change_ = detail::checked16(v); }
void ScrollBar::set_large_change(int v) { large_change_ = detail::checked16(v); }

}  // namespace platform
