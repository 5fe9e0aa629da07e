// Held-keys benchmark: the real browser on a folder of 50 JPEGs of
// 11000 x 11000 pixels (121 Mpx), Down held for 5 s. The presses come as
// the X server's key auto-repeat sends them, one every 40 ms, posted from a
// thread of their own, so that they pile up while the window is busy as real
// ones do. Prints the time from the last press to the picture of the entry
// selected then being in the picture box, and the widest gap in the event
// loop while the keys were held and after.
//
//   bench_held_keys FOLDER [SECONDS]
//
// The pictures are made once in FOLDER (one encoded, the others copies).
#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>
#include <algorithm>

#include "app/frame/mdi_form.h"
#include "app/frame/startup.h"
#include "app/state/module1.h"
#include "app/state/windows.h"
#include "bench/browser_start.h"
#include "bench/thumbnails/bench_support.h"
#include "bench/thumbnails/photos.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"
#include "platform/pictures/picture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPictures = 50;
constexpr int kSide = 11000;
constexpr auto kRepeat = std::chrono::milliseconds(40);

double ms_between(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

std::string name_of(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%02d.jpg", i);
    return name;
}

// Photo-like content tiled to the full size, so that the decode costs what
// a real photo of that size costs.
void ensure_pictures(const std::string& folder) {
    namespace fs = std::filesystem;
    const std::string first = folder + "/" + name_of(0);
    if (!fs::exists(first)) {
        const std::string tile_path = folder + "/tile.jpg.tmp";
        bench::write_photo(tile_path, 7, false);
        const QImage tile(QString::fromStdString(tile_path));
        fs::remove(tile_path);
        QImage big(kSide, kSide, QImage::Format_RGB32);
        QPainter painter(&big);
        for (int y = 0; y < kSide; y += tile.height())
            for (int x = 0; x < kSide; x += tile.width()) painter.drawImage(x, y, tile);
        painter.end();
        if (!big.save(QString::fromStdString(first + ".tmp"), "JPEG", 85)) std::exit(1);
        fs::rename(first + ".tmp", first);
    }
    for (int i = 1; i < kPictures; ++i) {
        const std::string path = folder + "/" + name_of(i);
        if (!fs::exists(path)) fs::copy_file(first, path);
    }
}

int run(const std::string& folder, double seconds) {
    platform::install_services(bench::unattended_services());
    ensure_pictures(folder);
    std::printf("pictures=%d of %dx%d, %.1f MB each\n", kPictures, kSide, kSide,
                double(std::filesystem::file_size(folder + "/" + name_of(0))) / 1e6);
    frmBMPView* started = bench::start_browser_in(folder);
    if (!started) return 1;
    frmBMPView& b = *started;
    QWidget* list = b.File1.widget();
    list->setFocus();
    for (int i = 0; i < 50; ++i) QCoreApplication::processEvents();

    // Down held: a first press, then the repeats.
    std::atomic<bool> done{false};
    std::atomic<long long> last_press_ns{0};
    const int presses = int(seconds * 1000 / kRepeat.count());
    std::thread keys([&] {
        auto next = Clock::now();
        for (int i = 0; i < presses; ++i) {
            std::this_thread::sleep_until(next);
            QCoreApplication::postEvent(list, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier,
                                                            QString(), i > 0));
            QCoreApplication::postEvent(list, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier,
                                                            QString(), i + 1 < presses));
            last_press_ns = Clock::now().time_since_epoch().count();
            next += kRepeat;
        }
        done = true;
    });

    // The event loop's longest wait: a 5 ms timer notes the widest gap
    // between its firings.
    double widest_gap = 0;
    auto last = Clock::now();
    QTimer probe;
    probe.setInterval(5);
    QEventLoop loop;
    const int final_index = std::min(presses, kPictures - 1);
    const std::string final_path = platform::join_path(b.File1.path(), name_of(final_index));
    Clock::time_point shown{}, selected{};
    std::vector<double> gaps;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        widest_gap = std::max(widest_gap, ms_between(last, now));
        gaps.push_back(ms_between(last, now));
        last = now;
        if (selected == Clock::time_point{} && b.File1.list_index() == final_index) selected = now;
        if (shown == Clock::time_point{} && b.File1.list_index() == final_index &&
            Module1::file_name == final_path && b.Image1.picture().width_px() == kSide) {
            shown = now;
        }
        if (done && shown != Clock::time_point{}) loop.quit();
    });
    probe.start();
    const auto start = Clock::now();
    loop.exec();
    probe.stop();
    keys.join();
    const Clock::time_point last_press{Clock::duration(last_press_ns.load())};
    std::printf("presses=%d over %.1f s (every %lld ms)\n", presses, seconds, (long long)kRepeat.count());
    std::printf("last_press_to_its_picture_ms=%.0f\n", std::max(0.0, ms_between(last_press, shown)));
    std::printf("first_press_to_last_entry_shown_ms=%.0f\n", ms_between(start, shown));
    std::printf("last_entry_selected_to_its_picture_ms=%.0f\n", ms_between(selected, shown));
    std::printf("event_loop_widest_gap_ms=%.0f\n", widest_gap);
    std::sort(gaps.rbegin(), gaps.rend());
    std::printf("event_loop_widest_gaps_ms=");
    for (std::size_t i = 0; i < gaps.size() && i < 8; ++i) std::printf("%.0f ", gaps[i]);
    std::printf("\n");
    windows::reset_all();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_held_keys FOLDER [SECONDS]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::Application app(argv[0]);
    platform::configure_picture_decoding();
    return run(argv[1], argc > 2 ? std::atof(argv[2]) : 5.0);
}
