// Faults of the hand-off queue on Linux: kept here and shown by an object
// on the window thread, which the hand-off thread wakes with an event.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <exception>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/core/runtime.h"
#include "platform/desktop/handoff_faults.h"

namespace platform {
namespace {

const QEvent::Type kFaultsWaiting = static_cast<QEvent::Type>(QEvent::User + 0x6b0);

std::mutex g_mutex;
std::vector<std::exception_ptr> g_faults;
QObject* g_reporter = nullptr;  // never deleted, as the hand-off thread

class FaultReporter : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() != kFaultsWaiting) return QObject::event(e);
        std::vector<std::exception_ptr> faults;
        {
            std::lock_guard taken(g_mutex);
            faults = std::exchange(g_faults, {});
        }
        for (const auto& fault : faults) guarded([&] { std::rethrow_exception(fault); });
        return true;
    }
};

}  // namespace

void prepare_handoff_faults() {
    // Made on the window thread, which then owns it.
    std::lock_guard lock(g_mutex);
    g_reporter = new FaultReporter;
}

void pass_handoff_fault(std::exception_ptr fault) {
    std::lock_guard lock(g_mutex);
    g_faults.push_back(std::move(fault));
    QCoreApplication::postEvent(g_reporter, new QEvent(kFaultsWaiting));
}

}  // namespace platform
