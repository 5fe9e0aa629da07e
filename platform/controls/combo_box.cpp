#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include "platform/controls/controls.h"
#include "platform/core/error.h"
#include "platform/controls/widget_util.h"
#include "words/catalogue.h"

namespace platform {
using namespace detail;

namespace {
QComboBox* as_combo(QWidget* w) { return static_cast<QComboBox*>(w); }

// The text field. When editing ends (Enter, or leaving the field) the toolkit
// picks the entry whose text equals the typed text and reports it as chosen;
// while that happens, `finishing` says the choice was typed, not picked.
class ComboTextField : public QLineEdit {
public:
    bool finishing = false;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool was = finishing;
        finishing = true;
        QLineEdit::keyPressEvent(event);
        finishing = was;
    }
    void focusOutEvent(QFocusEvent* event) override {
        const bool was = finishing;
        finishing = true;
        QLineEdit::focusOutEvent(event);
        finishing = was;
    }
};

// The box as a command control: the wheel never chooses an entry (one notch
// over the closed box would run an action), and the drop-down list is as
// wide as its longest entry.
class CommandComboBox : public QComboBox {
public:
    void showPopup() override {
        QAbstractItemView* list = view();
        int width = list->sizeHintForColumn(0) + 2 * list->frameWidth();
        if (count() > maxVisibleItems()) width += list->verticalScrollBar()->sizeHint().width();
        list->setMinimumWidth(width);
        QComboBox::showPopup();
    }

protected:
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
};

bool typed_not_picked(QComboBox* combo) {
    const auto* field = dynamic_cast<const ComboTextField*>(combo->lineEdit());
    return field && field->finishing;
}

// A long entry is read from its start.
void show_text_start(QComboBox* combo) {
    if (combo->lineEdit()) combo->lineEdit()->setCursorPosition(0);
}
}  // namespace

class ComboBridge {
public:
    static void user_chose(ComboBox& box, int index) {
        // Typed text is only text: it never runs an entry's action.
        if (typed_not_picked(as_combo(box.widget_))) return;
        box.index_ = index;
        show_text_start(as_combo(box.widget_));
        if (box.on_click) guarded(box.on_click);
    }
};

ComboBox::ComboBox(Form& form, std::string name) : Control(form, new CommandComboBox, std::move(name)) {
    auto* combo = as_combo(widget_);
    combo->setEditable(true);
    combo->setLineEdit(new ComboTextField);
    // Typed text is only text: it never becomes an entry and runs nothing.
    combo->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(combo, &QComboBox::activated, combo,
                     [this](int index) { ComboBridge::user_chose(*this, index); });
}

void ComboBox::add_item(const std::string& text) { as_combo(widget_)->addItem(qs(text)); }

int ComboBox::list_count() const { return as_combo(widget_)->count(); }

std::string ComboBox::list(int index) const {
    if (index < 0 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    return ss(as_combo(widget_)->itemText(index));
}

void ComboBox::set_list_index(int index) {
    if (index < -1 || index >= list_count()) throw Error(err::kInvalidPropertyValue, words::kInvalidPropertyValue);
    index_ = index;
    {
        QSignalBlocker block(widget_);
        as_combo(widget_)->setCurrentIndex(index);
        show_text_start(as_combo(widget_));
    }
    if (on_click) on_click();
}

}  // namespace platform
