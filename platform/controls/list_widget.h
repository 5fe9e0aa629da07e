#pragma once
// The toolkit's list with the classic list's mouse: a press on the entry that
// is already current is a click too (the toolkit reports only changes).
#include <QListWidget>
#include <QMouseEvent>

#include <functional>

namespace platform::detail {

class ClickableListWidget : public QListWidget {
public:
    std::function<void(int row)> on_press_current;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const int before = currentRow();
        QListWidget::mousePressEvent(event);
        const int row = indexAt(event->position().toPoint()).row();
        if (event->button() == Qt::LeftButton && row >= 0 && row == before && currentRow() == before &&
            on_press_current) {
            on_press_current(row);
        }
    }
};

}  // namespace platform::detail
