#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/controls/scroll_rules.h"
#include "platform/controls/widget_util.h"

namespace platform {
using namespace detail;

namespace {
QScrollBar* as_bar(QWidget* w) { return static_cast<QScrollBar*>(w); }

// Keys move a bar that has the focus as the classic bar does, whichever way
// it stands: Right and Down a small step toward the maximum, Left and Up
// back, the page keys a large step, Home and End to the ends. (The toolkit's
// bar takes Right as a step back.)
class KeyboardScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        SliderAction action = SliderNoAction;
        switch (event->key()) {
            case Qt::Key_Left:
            case Qt::Key_Up: action = SliderSingleStepSub; break;
            case Qt::Key_Right:
            case Qt::Key_Down: action = SliderSingleStepAdd; break;
            case Qt::Key_PageUp: action = SliderPageStepSub; break;
            case Qt::Key_PageDown: action = SliderPageStepAdd; break;
            case Qt::Key_Home: action = SliderToMinimum; break;
            case Qt::Key_End: action = SliderToMaximum; break;
            default: QScrollBar::keyPressEvent(event); return;
        }
        triggerAction(action);
        event->accept();
    }
};

// A bar runs from its minimum (left or top) toward its maximum, also when the
// maximum lies below the minimum. The toolkit's bar then holds the negated
// values, so that its arrows, track and keys all move toward the maximum.
int toolkit_sign(std::int16_t min, std::int16_t max) { return max < min ? -1 : 1; }

}  // namespace

// A user's move: a drag of the thumb raises Scroll for every step and Change
// once it is released; arrows, track clicks and keys raise Change.
class ScrollBridge {
public:
    static void moved(ScrollBar& bar, int toolkit_value) {
        const int v = toolkit_sign(bar.min_, bar.max_) * toolkit_value;
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
    : Control(form, new KeyboardScrollBar(orientation == Orientation::Horizontal ? Qt::Horizontal : Qt::Vertical),
              std::move(name)) {
    auto* w = as_bar(widget_);
    // In the tab order, so that a picture can be scrolled by keyboard.
    w->setFocusPolicy(Qt::TabFocus);
    sync_widget();
    QObject::connect(w, &QScrollBar::valueChanged, w, [this](int v) { ScrollBridge::moved(*this, v); });
    QObject::connect(w, &QScrollBar::sliderPressed, w, [this] { ScrollBridge::pressed(*this); });
    QObject::connect(w, &QScrollBar::sliderReleased, w, [this] { ScrollBridge::released(*this); });
}

void ScrollBar::sync_widget() {
    auto* w = as_bar(widget_);
    QSignalBlocker block(w);
    const int sign = toolkit_sign(min_, max_);
    w->setRange(sign * min_, sign * max_);
    w->setValue(sign * value_);
    w->setSingleStep(small_change_);
    w->setPageStep(large_change_);
}

void ScrollBar::set_small_change(int v) {
    small_change_ = detail::checked16(v);
    sync_widget();
}

void ScrollBar::set_large_change(int v) {
    large_change_ = detail::checked16(v);
    sync_widget();
}

}  // namespace platform
