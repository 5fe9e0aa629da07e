#pragma once
// The decoded image behind a platform::Picture, for the parts of the platform
// layer that draw it.
#include <QImage>
#include <QRect>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/pictures/picture.h"

namespace platform {

// The whole image of a picture handed out with only its top-left part
// decoded; a decoding thread finishes it.
class PictureRest {
public:
    // Waits until the whole image is there.
    QImage wait() const {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return done_; });
        return whole_;
    }
    void finish(QImage whole) {
        {
            std::lock_guard lock(mutex_);
            whole_ = std::move(whole);
            done_ = true;
        }
        finished_.notify_all();
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable finished_;
    bool done_ = false;
    QImage whole_;
};

struct PictureData {
    // Format_RGB32, or Format_ARGB32_Premultiplied with transparency. While
    // `rest` is set, only the top-left part of the picture.
    QImage image;
    QSize size;  // of the whole picture
    std::shared_ptr<PictureRest> rest;

    // An image holding these pixels of the picture: the part decoded first
    // when it holds them, else the whole one, waiting for it.
    QImage covering(const QRect& pixels) const {
        if (!rest || image.rect().contains(pixels)) return image;
        return rest->wait();
    }
    QImage whole() const { return covering(QRect(QPoint(0, 0), size)); }
};

// A picture holding the image, converted to the format that paints fast.
Picture picture_from_image(const QImage& image);

}  // namespace platform
