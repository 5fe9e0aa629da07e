#include "thumbnails/thumbs_env.h"

#include <QCoreApplication>

#include <unistd.h>

#include <cstdio>

#include "app/module1.h"
#include "app/windows.h"
#include "support/pictures.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

namespace thumbs_test {

ThumbsTest::ThumbsTest() {
    start_program(pictures);
    // A zero-interval timer fires once in every pass of the event pump.
    pump_timer_ = std::make_unique<QTimer>();
    pump_timer_->setInterval(0);
    QObject::connect(pump_timer_.get(), &QTimer::timeout, [this] {
        const std::string text = progress_text();
        if (messages.empty() || messages.back() != text) {
            if (text.rfind("Loading image", 0) == 0) messages.push_back(text);
        }
        if (on_pump) on_pump(text);
    });
    pump_timer_->start();
}

ThumbsTest::~ThumbsTest() {
    pump_timer_.reset();
    on_pump = nullptr;
    settle();
}

void ThumbsTest::make_pictures(int count, int width, int height) {
    std::vector<std::string> originals;
    for (int k = 0; k < 4 && k < count; ++k) {
        originals.push_back(home.write_file("orig" + std::to_string(k) + ".jpg",
                                            test_support::jpeg_bytes(width + k, height + k)));
    }
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%04d.jpg", i);
        const std::string target = pictures + "/" + name;
        if (::link(originals[static_cast<size_t>(i) % originals.size()].c_str(), target.c_str()) != 0) {
            ADD_FAILURE() << "cannot link " << target;
        }
    }
}

frmThumbnails& ThumbsTest::open(int view_width, float view_height) {
    Module1::cur_dir = pictures;
    Module1::cur_drive = pictures;  // the drive holding it
    Module1::view_width = view_width;
    Module1::view_height = view_height;
    return windows::thumbnails()();
}

void ThumbsTest::settle() {
    for (int k = 0; k < 3; ++k) QCoreApplication::processEvents();
}

std::string progress_text() {
    frmProgress* p = windows::progress().get();
    return p ? p->lbl_1.caption() : std::string();
}

bool progress_shown() {
    frmProgress* p = windows::progress().get();
    return p && p->form().is_shown();
}

}  // namespace thumbs_test
