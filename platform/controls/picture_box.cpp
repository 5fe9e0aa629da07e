#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "platform/controls/controls.h"
#include "platform/core/error.h"
#include "platform/pictures/picture_data.h"
#include "platform/controls/widget_util.h"
#include "words/catalogue.h"

namespace platform {
using namespace detail;

namespace {

// Draws a picture at its own size, or scaled into the widget when stretched;
// a scaled copy is kept for the current size so repainting stays cheap.
class PictureWidget : public QWidget {
public:
    PictureWidget() { connect(&rest_watch_, &QTimer::timeout, this, [this] { check_rest(); }); }
    std::function<void()> clicked;

    void set_image(std::shared_ptr<const PictureData> data) {
        data_ = std::move(data);
        scaled_ = QImage();
        update();
        watch_rest();
    }
    void set_stretch(bool on) {
        stretch_ = on;
        scaled_ = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!data_ || data_->image.isNull()) return;
        QPainter painter(this);
        if (!stretch_) {
            // A large picture may still be completing beyond what is on screen.
            painter.drawImage(event->rect().topLeft(), data_->covering(event->rect()), event->rect());
            return;
        }
        if (scaled_.size() != size()) {
            scaled_ = data_->whole().scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        painter.drawImage(0, 0, scaled_);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && clicked) {
            guarded(clicked);
        }
    }

private:
    // While a picture's rest decodes, its file may be rewritten: the rest then
    // brings the new picture whole, and everything drawn from the old part is
    // drawn again, so that the screen never shows two versions side by side.
    void watch_rest() {
        if (data_ && data_->rest) {
            rest_watch_.start(50);
        } else {
            rest_watch_.stop();
        }
    }
    void check_rest() {
        QImage whole;
        if (data_ && data_->rest && !data_->rest->done(whole)) return;
        rest_watch_.stop();
        if (data_ && data_->rest && data_->rest->replaced()) {
            scaled_ = QImage();
            update();
        }
    }

    std::shared_ptr<const PictureData> data_;
    QImage scaled_;
    bool stretch_ = false;
    QTimer rest_watch_;
};

PictureWidget* as_picture(QWidget* w) { return static_cast<PictureWidget*>(w); }

}  // namespace

PictureBox::PictureBox(Form& form, std::string name) : Control(form, new PictureWidget, std::move(name)) {
    as_picture(widget_)->clicked = [this] {
        if (on_click) on_click();
    };
}

void PictureBox::load(const std::string& path) { set_picture(load_picture(path)); }

void PictureBox::set_picture(const Picture& picture) {
    picture_ = picture;
    as_picture(widget_)->set_image(picture.data());
    if (!stretch_) size_to_picture();
}

void PictureBox::size_to_picture() {
    if (picture_.empty()) return;
    move(left(), top(), picture_.width_px() * twips_per_pixel_x(), picture_.height_px() * twips_per_pixel_y());
}

void PictureBox::set_stretch(bool on) {
    stretch_ = on;
    as_picture(widget_)->set_stretch(on);
    if (!on) size_to_picture();
}

void PictureBox::save_bmp(const std::string& path) const {
    if (picture_.empty()) throw Error(err::kInvalidPicture, words::kNoPictureToSave);
    save_picture_bmp(picture_, path);
}

}  // namespace platform
