#pragma once
// The decoded image behind a platform::Picture, for the parts of the platform
// layer that draw it.
#include <QImage>
#include <QRect>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/pictures/picture.h"

namespace platform {

// The whole image of a picture handed out with only its top-left part
// decoded; a decoding thread finishes it. When the picture goes before its
// rest is decoded, the decode is abandoned: its file refuses further reads.
class PictureRest {
public:
    PictureRest() = default;
    PictureRest(const PictureRest&) = delete;
    PictureRest& operator=(const PictureRest&) = delete;
    ~PictureRest() { abandoned_->store(true); }

    // Waits until the whole image is there; a null image when the picture
    // could not be completed (its file changed into one that cannot be shown).
    QImage wait() const {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return done_; });
        return whole_;
    }
    // Whether the rest has been decoded, and then the whole image.
    bool done(QImage& whole) const {
        std::lock_guard lock(mutex_);
        if (done_) whole = whole_;
        return done_;
    }
    // `replaced`: the whole comes from the file as it was rewritten since the
    // part was decoded, so what was drawn from the part must be drawn again.
    void finish(QImage whole, bool replaced = false) {
        {
            std::lock_guard lock(mutex_);
            whole_ = std::move(whole);
            replaced_ = replaced;
            done_ = true;
        }
        finished_.notify_all();
    }
    // Whether the rest is done and its whole replaces the part's picture.
    bool replaced() const {
        std::lock_guard lock(mutex_);
        return done_ && replaced_;
    }
    // Set once nobody holds the picture any more; read by its decode.
    const std::shared_ptr<std::atomic<bool>>& abandoned() const { return abandoned_; }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable finished_;
    bool done_ = false;
    bool replaced_ = false;
    QImage whole_;
    std::shared_ptr<std::atomic<bool>> abandoned_ = std::make_shared<std::atomic<bool>>(false);
};

struct PictureData {
    // Format_RGB32, or Format_ARGB32_Premultiplied with transparency. While
    // `rest` is set, only the top-left part of the picture.
    QImage image;
    QSize size;  // of the whole picture
    std::shared_ptr<PictureRest> rest;

    // An image holding these pixels of the picture: the part decoded first
    // when it holds them and the rest is still decoding, else the whole one,
    // waiting for it. Once the whole is there it is always the one given: a
    // file changed before its rest was decoded gives its new picture whole,
    // never beside the old part (null when it cannot be decoded).
    QImage covering(const QRect& pixels) const {
        if (!rest) return image;
        QImage whole;
        if (rest->done(whole)) return whole;
        if (image.rect().contains(pixels)) return image;
        return rest->wait();
    }
    QImage whole() const { return covering(QRect(QPoint(0, 0), size)); }
};

// A picture holding the image, converted to the format that paints fast.
Picture picture_from_image(const QImage& image);

// Runs a task on the thread that decodes the rests, after the rests queued
// before it (tests hold that thread with one).
void on_rest_thread(std::function<void()> task);

// Rest decodes stopped part-way, their file refusing reads, because their
// picture was dropped, in this process (tests and benchmarks).
long long abandoned_rest_decodes();

}  // namespace platform
