#pragma once
// The thumbnail tests' fixture: a started program, a folder of generated
// pictures, the window opened as "Thumbnail View" opens it, and a hook run in
// every pass of the page loop's event pump.
#include <QCoreApplication>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/module1.h"
#include "app/windows.h"
#include "support/app_env.h"
#include "support/pictures.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

namespace thumbs_test {

inline std::string loading(int number) { return "Loading image  " + std::to_string(number); }

class ThumbsTest : public test_support::AppTest {
protected:
    ThumbsTest() {
        start_program(pictures);
        // A zero-interval timer fires once in every pass of the event pump;
        // it records each new progress message and runs on_pump.
        pump_.setInterval(0);
        QObject::connect(&pump_, &QTimer::timeout, [this] {
            frmProgress* p = windows::progress().get();
            const std::string text = p ? p->lbl_1.caption() : std::string();
            if (text.rfind("Loading image", 0) == 0 && (messages.empty() || messages.back() != text))
                messages.push_back(text);
            if (on_pump) on_pump(text);
        });
        pump_.start();
    }
    ~ThumbsTest() override {
        pump_.stop();
        on_pump = nullptr;
        settle();
    }

    // `count` JPEGs p0000.jpg, p0001.jpg, ...: hard links of four pictures of
    // width + k by height + k, file i linking picture i % 4.
    void make_pictures(int count, int width = 40, int height = 30) {
        std::vector<std::string> originals;
        for (int k = 0; k < 4; ++k)
            originals.push_back(home.write_file("orig" + std::to_string(k) + ".jpg",
                                                test_support::jpeg_bytes(width + k, height + k)));
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/p%04d.jpg", i);
            ASSERT_EQ(::link(originals[static_cast<size_t>(i % 4)].c_str(), (pictures + name).c_str()), 0);
        }
    }

    frmThumbnails& open(int view_width = 12000, float view_height = 9000) {
        Module1::cur_dir = Module1::cur_drive = pictures;
        Module1::view_width = view_width;
        Module1::view_height = view_height;
        return windows::thumbnails()();
    }

    // Serves posted events: windows released are destroyed.
    static void settle() {
        for (int k = 0; k < 3; ++k) QCoreApplication::processEvents();
    }

    std::function<void(const std::string& message)> on_pump;
    std::vector<std::string> messages;  // "Loading image" messages seen, in order

private:
    QTimer pump_;
};

}  // namespace thumbs_test
