#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>

#include <cstddef>

#include "platform/controls/controls.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/controls/list_rules.h"
#include "platform/controls/list_widget.h"
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
        list_.open_entry(static_cast<QListWidget*>(list_.widget())->currentRow());
        return true;
    }

private:
    DirList& list_;
};

namespace {
QListWidget* as_list(QWidget* w) { return static_cast<QListWidget*>(w); }
}  // namespace

namespace detail {

bool same_folder(const std::string& a, const std::string& b) { return a == b; }

std::string folder_row_text(std::size_t depth, bool open, const std::string& label) {
    return std::string(depth * 2, ' ') + (open ? "\u25BE " : "\u25B8 ") + display_text(label);
}

}  // namespace detail

DirList::DirList(Form& form, std::string name) : Control(form, new ClickableListWidget, std::move(name)) {
    auto* list = static_cast<ClickableListWidget*>(widget_);
    list->installEventFilter(new DirListBridge(*this));
    QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                     [this](QListWidgetItem* item) { open_entry(as_list(widget_)->row(item)); });
    QObject::connect(list, &QListWidget::currentRowChanged, list, [this](int row) {
        if (row != highlighted_) highlight_entry(row);
    });
    list->on_press_current = [this](int row) { highlight_entry(row); };
    path_ = start_folder();
    skip_on_error([this] { rebuild(); });
}

void DirList::show_entries(const std::vector<std::string>& shown) {
    auto* list = as_list(widget_);
    QSignalBlocker block(list);
    list->clear();
    for (const auto& text : shown) list->addItem(qs(text));
    list->setCurrentRow(highlighted_);
}

}  // namespace platform
