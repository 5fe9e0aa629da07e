#include <QComboBox>
#include <QSignalBlocker>

#include "platform/controls/controls.h"
#include "platform/controls/list_rules.h"
#include "platform/files/drives.h"
#include "platform/controls/widget_util.h"

namespace platform {
using namespace detail;

namespace {
QComboBox* as_combo(QWidget* w) { return static_cast<QComboBox*>(w); }
}  // namespace

DriveList::DriveList(Form& form, std::string name) : Control(form, new QComboBox, std::move(name)) {
    auto* combo = as_combo(widget_);
    QObject::connect(combo, &QComboBox::activated, combo, [this](int row) { user_chose(row); });
    take_start_drive();
    fill();
}

void DriveList::show_drives(const std::vector<std::string>& shown, int current) {
    auto* combo = as_combo(widget_);
    QSignalBlocker block(combo);
    combo->clear();
    for (const auto& s : shown) combo->addItem(qs(s));
    combo->setCurrentIndex(current);
}

// A drive is named by its mount point; a path is on the drive of the
// deepest mount point above it.
std::string detail::listed_drive_holding(const std::vector<Drive>& drives, const std::string& path) {
    if (path.empty() || path[0] != '/' || drives.empty()) return {};
    return drive_of(drives, path).spelled();
}

}  // namespace platform
