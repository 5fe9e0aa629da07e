// Ending when the display goes away. The toolkit reports a broken X11
// connection through its message system and then calls exit(1), which runs
// the static destructors while the decoding threads still use what they
// destroy. The report is printed as the toolkit would, and the program
// leaves through leave_now instead: our temporary files removed, our tools
// ended, nothing destroyed under a running thread.
#include <QString>
#include <QtGlobal>

#include <stdlib.h>

#include "platform/core/leaving.h"
#include "platform/core/runtime.h"

namespace platform {
namespace {

QtMessageHandler toolkit_handler = nullptr;

bool reports_display_gone(const QString& message) {
    // Both of its ways: the event loop's check and the Xlib I/O error handler.
    return message.startsWith(QLatin1String("The X11 connection broke"));
}

void on_message(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (toolkit_handler) toolkit_handler(type, context, message);
    if (reports_display_gone(message)) leave_now(1);
}

// Any other exit() on the way out (a library's own error path) leaves the
// same way, with its status.
void on_process_exit(int status, void*) { leave_now(status); }

}  // namespace

void leave_cleanly_when_display_goes() {
    toolkit_handler = qInstallMessageHandler(on_message);
    ::on_exit(on_process_exit, nullptr);
}

}  // namespace platform
