#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <limits>

#include "platform/controls/controls.h"
#include "platform/core/error.h"
#include "platform/controls/widget_util.h"

namespace platform {
using namespace detail;

namespace {
QScrollBar* as_bar(QWidget* w) { return static_cast<QScrollBar*>(w); }

std::int16_t checked16(long long v) {
    if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max()) {
        throw Error(err::kOverflow, "Overflow");
    }
    return static_cast<std::int16_t>(v);
}
}  // namespace

// A user's move: a drag of the thumb raises Scroll for every step and Change
// once it is released; arrows, track clicks and keys raise Change.
class ScrollBridge {
public:
    static void moved(ScrollBar& bar, int v) {
        if (v == bar.value_) return;
        bar.value_ = static_cast<std::int16_t>(v);
        auto* w = as_bar(bar.widget_);
        auto& event = w->isSliderDown() ? bar.on_scroll : bar.on_change;
        if (event) guarded(event);
    }
    static void pressed(ScrollBar& bar) { bar.drag_start_ = bar.value_; }
    static void released(ScrollBar& bar) {
        if (bar.value_ != bar.drag_start_ && bar.on_change) guarded(bar.on_change);
    }
};

ScrollBar::ScrollBar(Form& form, std::string name, Orientation orientation)
    : Control(form, new QScrollBar(orientation == Orientation::Horizontal ? Qt::Horizontal : Qt::Vertical),
              std::move(name)) {
    auto* w = as_bar(widget_);
    sync_widget();
    QObject::connect(w, &QScrollBar::valueChanged, w, [this](int v) { ScrollBridge::moved(*this, v); });
    QObject::connect(w, &QScrollBar::sliderPressed, w, [this] { ScrollBridge::pressed(*this); });
    QObject::connect(w, &QScrollBar::sliderReleased, w, [this] { ScrollBridge::released(*this); });
}

void ScrollBar::sync_widget() {
    auto* w = as_bar(widget_);
    QSignalBlocker block(w);
    // A maximum below the minimum is a reversed bar.
    const bool reversed = max_ < min_;
    w->setInvertedAppearance(reversed);
    w->setInvertedControls(reversed);
    w->setRange(std::min(min_, max_), std::max(min_, max_));
    w->setValue(value_);
    w->setSingleStep(small_change_);
    w->setPageStep(large_change_);
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
    min_ = checked16(v);
    clamp_value();
}

void ScrollBar::set_max(long long v) {
    max_ = checked16(v);
    clamp_value();
}

void ScrollBar::set_value(long long v) {
    const std::int16_t value = checked16(v);
    if (value < std::min(min_, max_) || value > std::max(min_, max_)) {
        throw Error(err::kInvalidPropertyValue, "Invalid property value");
    }
    if (value == value_) return;
    value_ = value;
    sync_widget();
    if (on_change) on_change();
}

void ScrollBar::set_small_change(int v) {
    small_change_ = checked16(v);
    sync_widget();
}

void ScrollBar::set_large_change(int v) {
    large_change_ = checked16(v);
    sync_widget();
}

}  // namespace platform
