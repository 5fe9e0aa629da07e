// Memory benchmark: the real program (frame and browser, offscreen) started
// in a folder of photos, then one of
//   browse COUNT   steps through COUNT pictures in the browser, one key at a
//                  time, letting the neighbours decode between keys;
//   page COUNT     opens Thumbnail View and pages until COUNT cells are loaded;
//   close COUNT    the same, then closes the window and lets it go.
// Prints the resident memory before the step, its peak during it and after
// it, in MB, from /proc/self/status.
//   bench_memory FOLDER browse|page|close COUNT
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "app/frame/mdi_form.h"
#include "app/frame/startup.h"
#include "app/state/module1.h"
#include "app/state/windows.h"
#include "bench/thumbnails/bench_support.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/desktop/real_services.h"
#include "platform/files/start_folder.h"
#include "platform/pictures/picture.h"
#include "thumbnails/frm_thumbnails.h"

namespace {

// A field of /proc/self/status in MB (VmRSS, VmHWM).
double status_mb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::atof(line.c_str() + field.size() + 1) / 1024.0;
    }
    return -1;
}

// Starts the peak afresh from what is resident now.
void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Serves events until nothing is pending and posted deletions have run.
void settle() {
    for (int k = 0; k < 5; ++k) platform::DoEvents();
}

void choose(frmBMPView& b, int entry) {
    auto* combo = static_cast<QComboBox*>(b.Filter1.widget());
    combo->setCurrentIndex(entry);
    emit combo->activated(entry);
}

int browse(frmBMPView& b, int count) {
    auto* list = static_cast<QListWidget*>(b.File1.widget());
    const int n = std::min(count, b.File1.list_count());
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        list->setCurrentRow(i);  // as the user's arrow key does
        settle();                // the picture is painted
        // The user looks at it while the neighbours decode.
        b.neighbour_pictures.wait_idle();
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("shown=%d\nseconds=%.1f\n", n, s);
    return n;
}

int page(int count) {
    frmThumbnails& t = windows::thumbnails()();
    while (bench::next_page(t, count)) settle();
    const int cells = int(t.Image1.size());
    int with_picture = 0;
    for (auto* image : t.Image1) with_picture += image->picture().empty() ? 0 : 1;
    std::printf("cells=%d\nwith_picture=%d\n", cells, with_picture);
    return cells;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s FOLDER browse|page|close COUNT\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1], mode = argv[2];
    const int count = std::atoi(argv[3]);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (::chdir(folder.c_str()) != 0) {
        std::perror(folder.c_str());
        return 1;
    }
    platform::settle_start_folder();
    platform::Application app(argv[0]);
    platform::Services s = bench::unattended_services();
    platform::install_services(s);
    prepare_glimmerbox();
    start_glimmerbox();
    frmBMPView& b = *windows::frame().start_browser();
    settle();

    const double before = status_mb("VmRSS");
    reset_peak();
    if (mode == "browse") {
        browse(b, count);
    } else {
        choose(b, 4);  // "Thumbnail View"
        settle();
        page(count);
        if (mode == "close") {
            windows::thumbnails()().close_window();
            settle();
        }
    }
    std::printf("before_mb=%.1f\npeak_mb=%.1f\nafter_mb=%.1f\n", before, status_mb("VmHWM"), status_mb("VmRSS"));
    windows::reset_all();
    return 0;
}
