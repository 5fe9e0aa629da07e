#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/files/drives.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/controls/list_widget.h"
#include "platform/core/services.h"
#include "platform/files/start_folder.h"
#include "platform/controls/widget_util.h"

namespace platform {
using namespace detail;

// Opens the entry under the cursor on Enter, as a double-click does.
class DirListBridge : public QObject {
public:
    explicit DirListBridge(DirList& list) : QObject(list.widget()), list_(list) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        open(static_cast<QListWidget*>(list_.widget())->currentRow());
        return true;
    }

    void open(int row) {
        if (row < 0 || row >= list_.list_count()) return;
        const std::string target = list_.list(row);
        guarded([&] {
            try {
                list_.set_path(target);
            } catch (const Error&) {
                // The folder may have gone since it was listed: show what is there now.
                skip_on_error([&] { list_.refresh(); });
                throw;
            }
        });
    }

private:
    DirList& list_;
};

namespace {
QListWidget* as_list(QWidget* w) { return static_cast<QListWidget*>(w); }

Drive drive_holding(const std::string& folder) {
    return drive_of(read_drives(services().mount_table_path), folder);
}

bool is_mount_point(const std::vector<Drive>& drives, const std::string& folder) {
    return std::any_of(drives.begin(), drives.end(), [&](const Drive& d) { return d.mount_point == folder; });
}
}  // namespace

DirList::DirList(Form& form, std::string name) : Control(form, new ClickableListWidget, std::move(name)) {
    auto* list = static_cast<ClickableListWidget*>(widget_);
    auto* bridge = new DirListBridge(*this);
    list->installEventFilter(bridge);
    QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                     [this, bridge](QListWidgetItem* item) { bridge->open(as_list(widget_)->row(item)); });
    // Every entry the user moves to, by mouse or by keyboard, is a click;
    // so is a click on the entry already highlighted.
    auto highlight = [this](int row) {
        if (row < 0 || row >= list_count()) return;
        highlighted_ = row;
        if (on_click) guarded(on_click);
    };
    QObject::connect(list, &QListWidget::currentRowChanged, list, [this, highlight](int row) {
        if (row != highlighted_) highlight(row);
    });
    list->on_press_current = highlight;
    path_ = start_folder();
    skip_on_error([this] { rebuild(); });
}

std::string DirList::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, "Invalid property value");
    return entries_[static_cast<size_t>(index)];
}

void DirList::rebuild() {
    // The open folder's ancestors from its drive's mount point down, then its
    // sub-folders. Another drive mounted inside this one is reached through
    // the drive list: its folder is not listed here.
    const std::vector<std::string> subs = list_subfolders(path_);
    const std::vector<Drive> drives = read_drives(services().mount_table_path);
    const std::string top = drive_of(drives, path_).mount_point;
    std::vector<std::string> chain;
    for (std::string f = path_;; f = parent_folder(f)) {
        chain.insert(chain.begin(), f);
        if (f == top || f == "/") break;
    }
    entries_ = chain;
    for (const auto& s : subs) {
        std::string sub = join_path(path_ == "/" ? "" : path_, s);
        if (!is_mount_point(drives, sub)) entries_.push_back(std::move(sub));
    }
    highlighted_ = static_cast<int>(chain.size()) - 1;

    auto* list = as_list(widget_);
    QSignalBlocker block(list);
    list->clear();
    for (size_t i = 0; i < entries_.size(); ++i) {
        const bool ancestor = i < chain.size();
        const int depth = ancestor ? static_cast<int>(i) : static_cast<int>(chain.size());
        const std::string label = i == 0 ? entries_[i] : base_name(entries_[i]);
        auto* item = new QListWidgetItem(QString(depth * 2, QChar(' ')) +
                                         (ancestor ? QStringLiteral("\u25BE ") : QStringLiteral("\u25B8 ")) +
                                         qs(display_text(label)));
        list->addItem(item);
    }
    list->setCurrentRow(highlighted_);
}

void DirList::set_path(const std::string& path_or_drive) {
    std::string folder;
    if (auto drive = parse_drive(path_or_drive)) {
        folder = current_folder_of_drive(*drive);
    } else {
        folder = normalize_folder(path_or_drive);
        if (!is_folder(folder)) {
            throw Error(err::kPathNotFound, "The folder " + display_text(path_or_drive) + " was not found.");
        }
    }
    if (folder == path_) return;
    const std::string old = path_;
    path_ = folder;
    try {
        rebuild();
    } catch (...) {
        path_ = old;
        skip_on_error([this] { rebuild(); });
        throw;
    }
    remember_folder_on_drive(drive_holding(path_), path_);
    if (on_change) on_change();
}

void DirList::refresh() { rebuild(); }

}  // namespace platform
