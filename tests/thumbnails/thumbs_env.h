#pragma once
// The thumbnail tests' view of the program: a started program, a folder of
// generated pictures, the thumbnail window opened on it, and a hook that
// runs inside every event pump of the page loop.
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/app_env.h"

class frmThumbnails;

namespace thumbs_test {

class ThumbsTest : public test_support::AppTest {
protected:
    ThumbsTest();
    ~ThumbsTest() override;

    // Writes `count` small JPEGs named p0000.jpg, p0001.jpg, ... into the
    // picture folder (hard links of a few distinct pictures).
    void make_pictures(int count, int width = 40, int height = 30);
    // The window opened as the browser's "Thumbnail View" does, with the
    // browser's size given.
    frmThumbnails& open(int view_width = 12000, float view_height = 9000);

    // Called while the page loop serves events, once per pump, with the
    // progress message shown at that moment.
    std::function<void(const std::string& message)> on_pump;
    // The messages seen by the pumps, in order.
    std::vector<std::string> messages;

    // Serves posted events (windows released are destroyed).
    static void settle();

private:
    std::unique_ptr<QTimer> pump_timer_;
};

// The progress message now, "" when the progress window does not exist.
std::string progress_text();
bool progress_shown();

}  // namespace thumbs_test
