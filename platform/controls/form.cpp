#include <QCloseEvent>
#include <QWindowStateChangeEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include "platform/controls/form.h"
#include "platform/controls/widget_util.h"
#include "platform/core/runtime.h"

namespace platform {
using namespace detail;

namespace {

// Turns the toolkit's close request and background clicks into the form's
// events; the form decides whether the window really goes. Also sees the
// user bring back a window whose minimising the window system never reports.
class FormFilter : public QObject {
public:
    FormFilter(QObject* parent, Form& form) : QObject(parent), form_(form) {}
    bool closing_silently = false;
    // Minimised from code where the window system would not say so: the
    // window counts as minimised while it is not the active window, until it
    // is activated, shown or maximised.
    bool minimised_unreported = false;
    // It has since been read as away. Focus moves right after a minimise
    // (back from a closing drop-down list, then off the minimised window),
    // so only an activation after that counts as the user bringing it back.
    bool seen_away = false;
    // It was active at the minimise and has since been neither deactivated,
    // activated again nor used: the window system put it back before it
    // ever went (see Form::window_state).
    bool never_left = false;
    bool minimised_again = false;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) {  // the frame's own native window: all of its input
            if (is_user_input(*event)) never_left = false;
            return false;
        }
        if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate)
            never_left = false;
        if (minimised_unreported && brought_back(static_cast<QWidget*>(watched), *event))
            minimised_unreported = false;
        if (event->type() == QEvent::Close && !closing_silently) {
            event->ignore();
            if (form_.on_close) guarded(form_.on_close);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && form_.on_click) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) guarded(form_.on_click);
        }
        return false;
    }

private:
    static bool is_user_input(const QEvent& event) {
        const auto t = event.type();
        return t == QEvent::KeyPress || t == QEvent::MouseButtonPress || t == QEvent::TouchBegin;
    }
    bool brought_back(const QWidget* w, const QEvent& event) const {
        switch (event.type()) {
            case QEvent::WindowActivate: return seen_away;
            // The toolkit itself sends a window a show event when its state
            // turns from minimised to normal: that is what the window system
            // says at once after our minimise, not the window coming back.
            case QEvent::Show: return w->isWindow() && !event.spontaneous();
            // A maximise is reported even where a minimise is not. A window
            // maximised before is reported maximised again while it is away
            // (a Wayland compositor deactivating it): that is no maximise.
            case QEvent::WindowStateChange:
                return w->isWindow() && (w->windowState() & Qt::WindowMaximized) &&
                       !(static_cast<const QWindowStateChangeEvent&>(event).oldState() & Qt::WindowMaximized);
            default: return false;
        }
    }
    Form& form_;
};

}  // namespace

struct Form::Impl {
    QPointer<QMainWindow> main_window;  // a frame
    QPointer<QMdiArea> area;            // a frame's client
    QPointer<QMdiSubWindow> sub;        // a child
    QPointer<QWidget> client;           // where controls live
    QPointer<QWidget> window;           // the window that is shown
    FormFilter* filter = nullptr;
    std::string caption;
};

Form::Form(FormKind kind, Form* frame) : impl_(std::make_unique<Impl>()), kind_(kind) {
    switch (kind) {
        case FormKind::Frame: {
            impl_->main_window = new QMainWindow;
            impl_->area = new QMdiArea;
            impl_->area->setBackground(impl_->area->palette().brush(QPalette::Dark));
            impl_->main_window->setCentralWidget(impl_->area);
            // A maximised child merges its caption into the frame's and puts
            // its window buttons here, as classic frame windows do.
            impl_->main_window->setMenuBar(new QMenuBar);
            impl_->client = impl_->area;
            impl_->window = impl_->main_window;
            impl_->filter = new FormFilter(impl_->main_window, *this);
            impl_->main_window->installEventFilter(impl_->filter);
            impl_->area->viewport()->installEventFilter(impl_->filter);
            break;
        }
        case FormKind::Child: {
            auto* area = frame ? frame->impl_->area.data() : nullptr;
            impl_->client = new QWidget;
            impl_->sub = new QMdiSubWindow;
            impl_->sub->setWidget(impl_->client);
            impl_->sub->setAttribute(Qt::WA_DeleteOnClose, false);
            if (area) area->addSubWindow(impl_->sub);
            impl_->window = impl_->sub;
            impl_->filter = new FormFilter(impl_->sub, *this);
            impl_->sub->installEventFilter(impl_->filter);
            break;
        }
        case FormKind::TopLevel: {
            impl_->client = new QWidget;
            impl_->window = impl_->client;
            impl_->filter = new FormFilter(impl_->client, *this);
            impl_->client->installEventFilter(impl_->filter);
            auto press = [this](CommandButton* Form::*role) {
                CommandButton* b = this->*role;
                if (b && b->visible() && b->widget()->isEnabled()) b->press();
            };
            for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
                auto* s = new QShortcut(QKeySequence(key), impl_->client);
                QObject::connect(s, &QShortcut::activated, impl_->client, [press] { press(&Form::default_button_); });
            }
            auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), impl_->client);
            QObject::connect(esc, &QShortcut::activated, impl_->client, [press] { press(&Form::cancel_button_); });
            break;
        }
    }
}

Form::~Form() {
    controls_.clear();
    timers_.clear();
    if (impl_->filter) impl_->filter->closing_silently = true;
    if (impl_->sub) {
        if (auto* area = impl_->sub->mdiArea()) area->removeSubWindow(impl_->sub);
        delete impl_->sub.data();
    }
    delete impl_->window.data();
    // A window of many controls (a thumbnail grid) leaves much freed memory.
    release_free_memory();
}

// The caption as set: the toolkit may add a maximised child's caption to the
// title it shows for a frame.
std::string Form::caption() const { return impl_->caption; }
void Form::set_caption(const std::string& caption) {
    impl_->caption = caption;
    impl_->window->setWindowTitle(qs(caption));
}

int Form::window_state() const {
    if (FormFilter* f = impl_->filter; f->minimised_unreported) {
        // Active when read: the window came back, or it never went.
        if (!impl_->window->isActiveWindow()) {
            f->seen_away = true;
            return kStateMinimized;
        }
        // Active throughout: it never went. As a drop-down list closes, the
        // toolkit asks the compositor to activate the window again; when that
        // request reaches a compositor together with our minimise, it undoes
        // the minimise before anything is shown, and the window hears of
        // neither. By now that answer is long past: minimise again, once, so
        // that a window system that ignores minimising ends it next time.
        if (f->never_left && !f->minimised_again) {
            f->minimised_again = true;
            f->minimised_unreported = false;  // the toolkit's own events from the call
            impl_->window->showMinimized();
            f->minimised_unreported = true;
            return kStateMinimized;
        }
        f->minimised_unreported = false;
    }
    const Qt::WindowStates s = impl_->window->windowState();
    if (s & Qt::WindowMinimized) return kStateMinimized;
    if (s & Qt::WindowMaximized) return kStateMaximized;
    return kStateNormal;
}

void Form::set_window_state(int state) {
    QWidget* w = impl_->window;
    const bool was_active = w->isActiveWindow();
    if (!w->isVisible()) {
        // Takes effect when the window is shown.
        w->setWindowState(state == kStateMinimized   ? Qt::WindowMinimized
                          : state == kStateMaximized ? Qt::WindowMaximized
                                                     : Qt::WindowNoState);
    } else {
        switch (state) {
            case kStateMinimized: w->showMinimized(); break;
            case kStateMaximized: w->showMaximized(); break;
            default: w->showNormal(); break;
        }
    }
    // Set after the call: the window system's answer to it (a window state
    // that stays normal) must not end it. A child window's state is the
    // toolkit's own and always known.
    FormFilter* f = impl_->filter;
    f->minimised_unreported = state == kStateMinimized && w->isWindow() && !window_system_reports_minimised();
    f->seen_away = false;
    f->never_left = f->minimised_unreported && was_active;
    f->minimised_again = false;
    // Input reaches the native window before any control: a click or key
    // there means the window is in use, not away.
    if (QWindow* native = w->windowHandle(); native && f->minimised_unreported) native->installEventFilter(f);
}

int Form::left() const { return px_to_twips_x(impl_->window->frameGeometry().x()); }
int Form::top() const { return px_to_twips_y(impl_->window->frameGeometry().y()); }
int Form::width() const { return px_to_twips_x(impl_->window->frameGeometry().width()); }
int Form::height() const { return px_to_twips_y(impl_->window->frameGeometry().height()); }

void Form::set_left(double twips) {
    QWidget* w = impl_->window;
    w->move(twips_to_px_x(twips), w->frameGeometry().y());
}
void Form::set_top(double twips) {
    QWidget* w = impl_->window;
    w->move(w->frameGeometry().x(), twips_to_px_y(twips));
}

void Form::set_client_size(double width_twips, double height_twips) {
    const int w = twips_to_px_x(width_twips), h = twips_to_px_y(height_twips);
    impl_->client->resize(w, h);
    if (QMdiSubWindow* sub = impl_->sub) {
        // The outer size is the client area plus the child's frame and title.
        const int frame = sub->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
        const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
        sub->resize(w + 2 * frame, h + title + frame);
    }
}

void Form::show() {
    QWidget* w = impl_->window;
    if (!w->isVisible()) w->show();
    w->raise();
    if (impl_->sub) {
        if (auto* area = impl_->sub->mdiArea()) area->setActiveSubWindow(impl_->sub);
    } else {
        w->activateWindow();
    }
}

void Form::hide() { impl_->window->hide(); }

bool Form::is_shown() const { return impl_->window->isVisible(); }

void Form::close_silently() {
    if (impl_->filter) impl_->filter->closing_silently = true;
    impl_->window->hide();
}

Timer& Form::add_timer() {
    timers_.push_back(std::make_unique<Timer>());
    return *timers_.back();
}

void Form::remove(Control& control) {
    controls_.erase(&control);
}

std::unique_ptr<Control> Form::take(Control& control) {
    auto node = controls_.extract(&control);
    if (node.empty()) return nullptr;
    node.mapped()->widget()->hide();
    return std::move(node.mapped());
}

void Form::set_tab_order(const std::vector<Control*>& order) {
    for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1]->widget(), order[i]->widget());
}

QWidget* Form::client() const { return impl_->client; }
QWidget* Form::window() const { return impl_->window; }

}  // namespace platform
