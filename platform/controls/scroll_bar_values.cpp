// The scroll bar's 16-bit minimum, maximum and value, the same on every
// system: the bar on screen follows them through sync_widget.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/controls/controls.h"
#include "platform/controls/scroll_rules.h"
#include "platform/core/error.h"
#include "words/catalogue.h"

namespace platform {

std::int16_t detail::checked16(long long v) {
    if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max()) {
        throw Error(err::kOverflow, words::kOverflow);
    }
    return static_cast<std::int16_t>(v);
}

void ScrollBar::clamp_value() {
    const std::int16_t lo = std::min(min_, max_), hi = std::max(min_, max_);
    const std::int16_t clamped = std::clamp(value_, lo, hi);
    const bool changed = clamped != value_;
    value_ = clamped;
    sync_widget();
    if (changed && on_change) on_change();
}

void ScrollBar::set_min(long long v) {
    min_ = detail::checked16(v);
    clamp_value();
}

void ScrollBar::set_max(long long v) {
    max_ = detail::checked16(v);
    clamp_value();
}

void ScrollBar::set_value(long long v) {
    const std::int16_t value = detail::checked16(v);
    if (value < std::min(min_, max_) || value > std::max(min_, max_)) {
        throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    }
    if (value == value_) return;
    value_ = value;
    sync_widget();
    if (on_change) on_change();
}

}  // namespace platform
