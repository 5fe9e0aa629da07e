#include <QComboBox>
#include <QSignalBlocker>

#include "platform/controls/controls.h"
#include "platform/files/drives.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/services.h"
#include "platform/files/start_folder.h"
#include "platform/controls/widget_util.h"

namespace platform {
using namespace detail;

namespace {
QComboBox* as_combo(QWidget* w) { return static_cast<QComboBox*>(w); }
}  // namespace

class DriveListBridge {
public:
    static void user_chose(DriveList& list, int row) {
        if (row < 0 || row >= list.list_count()) return;
        const std::string chosen = list.list(row);
        guarded([&] { list.set_drive(chosen); });
    }
};

DriveList::DriveList(Form& form, std::string name) : Control(form, new QComboBox, std::move(name)) {
    auto* combo = as_combo(widget_);
    QObject::connect(combo, &QComboBox::activated, combo,
                     [this](int row) { DriveListBridge::user_chose(*this, row); });
    skip_on_error([this] {
        const auto drives = read_drives(services().mount_table_path);
        if (!drives.empty()) drive_ = drive_of(drives, start_folder()).spelled();
    });
    fill();
}

void DriveList::fill() {
    spelled_.clear();
    for (const auto& d : read_drives(services().mount_table_path)) spelled_.push_back(d.spelled());
    auto* combo = as_combo(widget_);
    QSignalBlocker block(combo);
    combo->clear();
    for (const auto& s : spelled_) combo->addItem(qs(display_text(s)));
    combo->setCurrentIndex(-1);
    for (size_t i = 0; i < spelled_.size(); ++i) {
        if (spelled_[i] == drive_) combo->setCurrentIndex(static_cast<int>(i));
    }
}

int DriveList::list_count() const { return static_cast<int>(spelled_.size()); }

std::string DriveList::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, "Invalid property value");
    return spelled_[static_cast<size_t>(index)];
}

void DriveList::refresh() { fill(); }

void DriveList::set_drive(const std::string& drive_or_path) {
    const auto drives = read_drives(services().mount_table_path);
    std::string wanted;
    if (auto d = parse_drive(drive_or_path)) {
        for (const auto& known : drives) {
            if (known.mount_point == d->mount_point) wanted = known.spelled();
        }
    } else if (!drive_or_path.empty() && drive_or_path[0] == '/' && !drives.empty()) {
        wanted = drive_of(drives, drive_or_path).spelled();
    }
    if (wanted.empty()) {
        throw Error(err::kDeviceUnavailable, "The drive " + display_text(drive_or_path) + " is not available.");
    }
    if (wanted == drive_) return;
    const std::string old = drive_;
    drive_ = wanted;
    fill();
    try {
        if (on_change) on_change();
    } catch (...) {
        // The folder list still shows the old drive: so does this list.
        drive_ = old;
        fill();
        throw;
    }
}

}  // namespace platform
