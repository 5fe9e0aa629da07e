// Auto Show tick benchmark: runs the real browser (offscreen) on a folder of
// 12-MP camera-like JPEGs, starts the slideshow and lets the real timer tick.
// Prints what one tick holds the user-interface thread, the longest the event
// loop went unserved (what a restore arriving mid-tick waits), what a choice
// holds it while the desktop is still busy with the show, and the parts
// of a tick timed one by one on this thread: decode, bitmap encoding, the
// write with its fsync, and the desktop call. Before each tick it waits for
// the work the tick before handed to other threads and prints that wait
// apart: on a machine too busy to finish it within the second, the tick
// would be left out.
//
//   bench_auto_show_tick FOLDER [TICKS]
//
// The desktop call is the real one of the session (feh under a bare X
// server); GLIMMERBOX_BENCH_DESKTOP=record only records it.
#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/mdi_form.h"
#include "app/frame/startup.h"
#include "app/state/windows.h"
#include "bench/browser_start.h"
#include "bench/thumbnails/bench_support.h"
#include "bench/thumbnails/photos.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/desktop/desktop_wallpaper.h"
#include "platform/desktop/real_services.h"
#include "platform/desktop/wallpaper_handoff.h"
#include "platform/files/files.h"
#include "platform/files/start_folder.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/picture_data.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double median_of(int runs, const std::function<void()>& step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        step();
        times.push_back(ms_since(t0));
    }
    return median(times);
}

void ensure_photos(const std::string& folder) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        const std::string path = folder + "/" + name;
        if (::access(path.c_str(), R_OK) != 0) bench::write_photo(path, unsigned(name[0]), false);
    }
}

// The parts of a tick, one by one on this thread.
void time_parts(const std::string& photo) {
    const std::string preview = platform::services().preview_bmp_path;
    platform::Picture picture;
    const double decode = median_of(5, [&] { picture = platform::load_picture(photo); });
    const double save = median_of(5, [&] { platform::save_picture_bmp(picture, preview); });
    // Qt's own bitmap writer, row by row into a growing buffer, as the
    // preview was made before: timed here beside ours, under the same load.
    const double qt_encode = median_of(5, [&] {
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        picture.data()->image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
        const std::string copy(encoded.constData(), std::size_t(encoded.size()));
    });
    std::string bytes(std::size_t(54) + std::size_t(picture.width_px()) * 3 * picture.height_px(), 'x');
    const double write = median_of(5, [&] { platform::write_file_atomically(preview, bytes); });
    platform::save_picture_bmp(picture, preview);
    const double desktop = median_of(5, [&] {
        platform::SystemParametersInfoA(platform::kSpiSetDeskWallpaper, 0, preview,
                                        platform::kSpifUpdateIniFileSendChange);
    });
    std::printf("picture=%dx%d\n", picture.width_px(), picture.height_px());
    std::printf(
        "part_decode_ms=%.1f\npart_bmp_encode_ms=%.1f\npart_write_fsync_ms=%.1f\npart_desktop_call_ms=%.1f\n",
        decode, save - write, write, desktop);
    std::printf("part_bmp_encode_qt_writer_ms=%.1f\n", qt_encode);
}

// A "Change wallpaper (Tile)" chosen right after a restore, while the desktop
// is still busy with the show's last wallpaper (its tool taking a second):
// what the choice holds the user-interface thread.
double choice_while_desktop_busy(frmBMPView& b) {
    platform::wait_for_wallpapers();
    const platform::Services before = platform::services();
    platform::Services slow = before;
    slow.desktop_wallpaper = [](const std::string&, platform::WallpaperStyle) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return true;
    };
    platform::install_services(slow);
    b.Filter1.set_list_index(1);  // minimised, ticking
    b.Timer1_Timer();
    windows::frame_form().set_window_state(platform::kStateNormal);
    const auto t0 = Clock::now();
    b.Filter1.set_list_index(3);
    const double choice = ms_since(t0);
    platform::wait_for_wallpapers();
    platform::install_services(before);
    return choice;
}

int run(const std::string& folder, int ticks) {
    platform::Services s = bench::unattended_services();
    const char* mode = std::getenv("GLIMMERBOX_BENCH_DESKTOP");
    const bool record = mode && std::string(mode) == "record";
    if (record) s.desktop_wallpaper = [](const std::string&, platform::WallpaperStyle) { return true; };
    platform::install_services(s);
    std::printf("desktop=%s\n", record ? "recorded" : "real");

    ensure_photos(folder);
    time_parts(folder + "/a.jpg");

    frmBMPView* started = bench::start_browser_in(folder);
    if (!started) return 1;
    frmBMPView& b = *started;

    // The event loop's longest wait: a 5 ms timer notes the widest gap
    // between its firings while the slideshow runs.
    double widest_gap = 0;
    auto last = Clock::now();
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        widest_gap = std::max(widest_gap, ms_since(last));
        last = Clock::now();
    });

    std::vector<double> tick_ms;
    QEventLoop loop;
    std::vector<double> wait_ms;
    b.Timer1.on_timer = [&] {
        // What a tick waits for when the work it hands off is not done by
        // the next one (the wallpaper of the tick before, the next picture's
        // decode), apart from its own work.
        const auto w0 = Clock::now();
        platform::wait_for_wallpapers();
        b.neighbour_pictures.wait_idle();
        wait_ms.push_back(ms_since(w0));
        last = Clock::now();  // the bench's own wait is no gap of the program's
        const auto t0 = Clock::now();
        b.Timer1_Timer();
        tick_ms.push_back(ms_since(t0));
        std::fprintf(stderr, "tick %zu: %.0f ms, waited %.0f ms before\n", tick_ms.size(), tick_ms.back(),
                     wait_ms.back());
        if (int(tick_ms.size()) >= ticks) loop.quit();
    };
    b.Filter1.set_list_index(1);  // "Auto Show (*.*)": minimised, ticking
    last = Clock::now();
    probe.start();
    loop.exec();
    probe.stop();

    std::printf("ticks=%zu\ntick_ui_ms_median=%.1f\ntick_ui_ms_max=%.1f\nevent_loop_widest_gap_ms=%.1f\n",
                tick_ms.size(), median(tick_ms), *std::max_element(tick_ms.begin(), tick_ms.end()), widest_gap);
    std::printf("wait_for_handed_off_work_ms_median=%.1f\n", median(wait_ms));
    std::printf("tick_ui_ms_all=");
    for (double t : tick_ms) std::printf("%.0f ", t);
    std::printf("\n");
    std::printf("choice_ui_ms_desktop_busy_1s=%.1f\n", choice_while_desktop_busy(b));
    windows::reset_all();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [TICKS]\n", argv[0]);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    platform::Application app(argv[0]);
    platform::configure_picture_decoding();
    return run(argv[1], argc >= 3 ? std::max(1, std::atoi(argv[2])) : 7);
}
