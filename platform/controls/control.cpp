#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "platform/controls/controls.h"
#include "platform/controls/form.h"
#include "platform/core/error.h"
#include "platform/controls/widget_util.h"
#include "words/catalogue.h"

namespace platform {
using namespace detail;

Control::Control(Form& form, QWidget* widget, std::string name)
    : form_(form), widget_(widget), name_(std::move(name)) {
    widget_->setParent(form.client());
    widget_->setObjectName(qs(name_));
    widget_->show();
}

Control::~Control() {
    QPointer<QWidget> w(widget_);
    delete w.data();
}

void Control::apply_geometry() {
    widget_->setGeometry(twips_to_px_x(left_), twips_to_px_y(top_), twips_to_px_x(width_),
                         twips_to_px_y(height_));
}

void Control::leave_old_place() {}

void Control::set_visible(bool v) {
    visible_ = v;
    widget_->setVisible(v);
}

void Control::set_focus() { widget_->setFocus(Qt::OtherFocusReason); }
bool Control::has_focus() const { return widget_->hasFocus(); }

void Control::set_tooltip(const std::string& text) {
    tooltip_ = text;
    // A tooltip that looks like markup is shown as rich text, so the text
    // is escaped and its spaces and line breaks kept: a file name shows as
    // it is spelled.
    widget_->setToolTip(text.empty() ? QString()
                                     : "<p style=\"white-space:pre\">" + qs(text).toHtmlEscaped() + "</p>");
}

void Control::bring_to_front() { widget_->raise(); }
void Control::send_to_back() { widget_->lower(); }

// --- Label ---------------------------------------------------------------

Label::Label(Form& form, std::string name) : Control(form, new QLabel, std::move(name)) {
    auto* label = static_cast<QLabel*>(widget_);
    label->setWordWrap(false);
    // Captions are shown as written, never as markup (file names among them).
    label->setTextFormat(Qt::PlainText);
}

void Label::set_caption(const std::string& text) {
    caption_ = text;
    static_cast<QLabel*>(widget_)->setText(qs(text));
}

void Label::set_font(const std::string& family, double points, bool bold) {
    QFont f = widget_->font();
    f.setFamily(qs(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    widget_->setFont(f);
}

void Label::fit_font_to_height() {
    QFont f = widget_->font();
    const int room = twips_to_px_y(height());
    if (f.pointSizeF() <= 0) f.setPointSizeF(QFontInfo(f).pointSizeF());  // a font sized in pixels
    while (f.pointSizeF() > 1 && QFontMetrics(f).height() > room) f.setPointSizeF(f.pointSizeF() - 0.5);
    widget_->setFont(f);
}

// --- TextBox -------------------------------------------------------------

TextBox::TextBox(Form& form, std::string name) : Control(form, new QLineEdit, std::move(name)) {}

std::string TextBox::text() const { return ss(static_cast<QLineEdit*>(widget_)->text()); }
void TextBox::set_text(const std::string& text) { static_cast<QLineEdit*>(widget_)->setText(qs(text)); }

// --- CommandButton -------------------------------------------------------

CommandButton::CommandButton(Form& form, std::string name)
    : Control(form, new QPushButton, std::move(name)) {
    auto* button = static_cast<QPushButton*>(widget_);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] {
        if (on_click) guarded(on_click);
    });
}

void CommandButton::set_caption(const std::string& caption) {
    static_cast<QPushButton*>(widget_)->setText(qs(caption));
}
std::string CommandButton::caption() const { return ss(static_cast<QPushButton*>(widget_)->text()); }

void CommandButton::set_default(bool on) {
    static_cast<QPushButton*>(widget_)->setDefault(on);
    form_.set_default_button(on ? this : nullptr);
}
void CommandButton::set_cancel(bool on) { form_.set_cancel_button(on ? this : nullptr); }

void CommandButton::press() { static_cast<QPushButton*>(widget_)->click(); }

// --- Timer ---------------------------------------------------------------

struct Timer::Impl {
    QTimer timer;
};

Timer::Timer() : impl_(std::make_unique<Impl>()) {
    QObject::connect(&impl_->timer, &QTimer::timeout, &impl_->timer, [this] {
        if (on_timer) guarded(on_timer);
    });
}

Timer::~Timer() = default;

void Timer::set_interval(int ms) {
    if (ms < 0) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    if (ms == interval_ && (ms == 0 || impl_->timer.isActive())) return;
    interval_ = ms;
    if (ms == 0) {
        impl_->timer.stop();
    } else {
        impl_->timer.start(ms);
    }
}

}  // namespace platform
