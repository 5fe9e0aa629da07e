#include "platform/core/runtime.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/core/error.h"
#include "platform/core/types.h"
#include "words/catalogue.h"

namespace platform {

struct Application::Impl {
    explicit Impl(const char* program_name)
        : name(program_name && *program_name ? program_name : "glimmerbox"), argv{name.data(), nullptr},
          app(argc, argv) {}
    // The toolkit keeps references to these for its whole life.
    std::string name;
    int argc = 1;
    char* argv[2];
    QApplication app;
};

Application::Application(const char* program_name) {
    impl_ = std::make_unique<Impl>(program_name);
    QApplication::setApplicationName("Glimmerbox");
    QApplication::setQuitOnLastWindowClosed(false);
    set_application_icon();
}

Application::~Application() = default;

int Application::run() { return impl_->app.exec(); }

void release_free_memory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int show_message_box(const MessageBoxRequest& r) {
    QMessageBox box;
    // Texts carry file names and typed text: never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(r.text.c_str()));
    box.setWindowTitle(QString::fromUtf8(r.title.empty() ? words::translated(words::kAppTitle) : r.title.c_str()));
    switch (r.icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (r.buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel: return kAnswerCancel;
        case QMessageBox::Yes: return kAnswerYes;
        case QMessageBox::No: return kAnswerNo;
        default: return kAnswerOk;
    }
}

namespace {
QScreen* screen() { return QGuiApplication::primaryScreen(); }

// A twip is 1/1440 inch.
double twips_per_pixel_at(double dpi) { return 1440.0 / (dpi > 0 ? dpi : 96.0); }
}  // namespace

double twips_per_pixel_x() {
    QScreen* s = screen();
    return twips_per_pixel_at(s ? s->logicalDotsPerInchX() : 96.0);
}

double twips_per_pixel_y() {
    QScreen* s = screen();
    return twips_per_pixel_at(s ? s->logicalDotsPerInchY() : 96.0);
}

int screen_width_twips() {
    QScreen* s = screen();
    return px_to_twips_x(s ? s->geometry().width() : 0);
}

int screen_height_twips() {
    QScreen* s = screen();
    return px_to_twips_y(s ? s->geometry().height() : 0);
}

void post(std::function<void()> fn) {
    QTimer::singleShot(0, qApp, [fn = std::move(fn)] { guarded(fn); });
}

}  // namespace platform
