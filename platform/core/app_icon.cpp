// The program's own icon, compiled into the binary so that every window shows
// it whether or not the program is installed.
#include <QApplication>
#include <QIcon>
#include <QString>

#include "platform/core/runtime.h"

// The resource of a static library is registered by hand, from the global
// namespace as the macro requires.
static void register_icon_resource() { Q_INIT_RESOURCE(glimmerbox); }

namespace platform {

void set_application_icon() {
    register_icon_resource();
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QString(":/glimmerbox/glimmerbox-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

}  // namespace platform
