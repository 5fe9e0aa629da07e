#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTimer>

#include <sys/stat.h>

#include "platform/controls/controls.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/controls/list_rules.h"
#include "platform/controls/list_widget.h"
#include "platform/files/start_folder.h"
#include "platform/controls/widget_util.h"

namespace platform {
using namespace detail;

// Passes key presses to on_key_down before the list's own keyboard handling.
class FileListBridge : public QObject {
public:
    explicit FileListBridge(FileList& list) : QObject(list.widget()), list_(list) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && list_.on_key_down) {
            auto* key = static_cast<QKeyEvent*>(event);
            std::int16_t code = static_cast<std::int16_t>(classic_key_code(key->key()));
            const int shift = classic_shift_state(static_cast<int>(key->modifiers()));
            guarded([&] { list_.on_key_down(code, shift); });
        }
        return false;
    }

private:
    FileList& list_;
};

namespace {
QListWidget* as_list(QWidget* w) { return static_cast<QListWidget*>(w); }

// Getting the keyboard focus selects nothing: the toolkit's list would make
// its first entry current, and the first Down would then skip it.
class FileListWidget : public ClickableListWidget {
public:
    // Whether the selection is moving for a held key's repeat.
    bool repeating() const { return repeating_; }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        repeating_ = event->isAutoRepeat();
        ClickableListWidget::keyPressEvent(event);
        repeating_ = false;
    }

    // With nothing selected End takes the last entry; every other move takes
    // the first, as the toolkit does.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        if (action == MoveEnd && !currentIndex().isValid() && count() > 0) return model()->index(count() - 1, 0);
        return QListWidget::moveCursor(action, modifiers);
    }

    // The toolkit announces the new current entry inside its own focus
    // handling, so the announcement is held back for the whole of it.
    void focusInEvent(QFocusEvent* event) override {
        if (currentIndex().isValid()) {
            QListWidget::focusInEvent(event);
            return;
        }
        int row = -1;
        {
            QSignalBlocker block(this);
            QListWidget::focusInEvent(event);
            if (currentIndex().isValid() && !currentItem()->isSelected()) {
                selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            }
            row = currentRow();
        }
        // An entry really selected on the way in is announced after all.
        if (row >= 0) emit currentRowChanged(row);
    }

private:
    bool repeating_ = false;
};

}  // namespace

// No write bit for anyone.
bool detail::read_only_file(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

FileList::FileList(Form& form, std::string name) : Control(form, new FileListWidget, std::move(name)) {
    auto* list = as_list(widget_);
    // A click on the entry already selected shows it again (its bars come back).
    static_cast<FileListWidget*>(list)->on_press_current = [this](int row) {
        if (row == index_ && on_click) guarded(on_click);
    };
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->installEventFilter(new FileListBridge(*this));
    QObject::connect(list, &QListWidget::currentRowChanged, list, [this](int row) { user_selected(row); });
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [this](QListWidgetItem*) {
        if (on_dbl_click) guarded(on_dbl_click);
    });
    // The list is read when its window sets the pattern or the folder, as
    // every window does in its load step: reading the folder here as well
    // would list it twice.
    path_ = start_folder();
}

void FileList::show_names(const std::vector<std::string>& shown) {
    auto* list = as_list(widget_);
    QSignalBlocker block(list);
    QStringList items;
    items.reserve(static_cast<int>(shown.size()));
    for (const auto& n : shown) items << qs(n);
    list->clear();
    list->addItems(items);
    list->setCurrentRow(-1);
}

void FileList::show_index() {
    QSignalBlocker block(widget_);
    as_list(widget_)->setCurrentRow(index_);
}

bool FileList::key_repeating() const { return static_cast<FileListWidget*>(widget_)->repeating(); }

// A held key's repeats arrive faster than a large picture is shown: the
// entries passed over are not shown, only the one selected when the presses
// already waiting have been handled (a zero timer runs after them).
void FileList::announce_when_keys_settle() {
    if (announcement_pending_) return;
    announcement_pending_ = true;
    QTimer::singleShot(0, widget_, [this] {
        if (!announcement_pending_) return;
        announcement_pending_ = false;
        if (on_click) guarded(on_click);
    });
}

}  // namespace platform
