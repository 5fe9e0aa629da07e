// Thumbnail loading benchmark: generates camera-like photos, and times the
// real thumbnail window (offscreen) loading its first page and paging on.
//
//   bench_thumbnails generate FOLDER COUNT DISTINCT [exif]
//   bench_thumbnails page FOLDER PICTURES
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "bench/thumbnails/bench_support.h"
#include "bench/thumbnails/photos.h"
#include "platform/pictures/picture_prefetch.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/desktop/real_services.h"
#include "platform/pictures/cell_picture.h"
#include "platform/pictures/picture.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/grid_constants.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double peak_rss_mb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

int generate(const std::string& folder, int count, int distinct, bool exif) {
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/p%05d.jpg", i);
        const std::string path = folder + name;
        if (i < distinct) {
            bench::write_photo(path, 1000u + unsigned(i), exif);
        } else {
            char first[32];
            std::snprintf(first, sizeof first, "/p%05d.jpg", i % distinct);
            if (::link((folder + first).c_str(), path.c_str()) != 0) {
                std::perror(path.c_str());
                return 1;
            }
        }
    }
    return 0;
}

int page(const std::string& folder, int pictures) {
    platform::Services s = bench::unattended_services();
    platform::install_services(s);

    // A browser of 12000 x 9000 twips; first_page_cells says how many cells
    // a page holds, cell_px how large each one's picture is.
    Module1::cur_dir = folder;
    Module1::cur_drive = folder;
    Module1::view_width = 12000;
    Module1::view_height = 9000;
    const auto t0 = std::chrono::steady_clock::now();
    frmThumbnails& t = windows::thumbnails()();
    const double first_page = seconds_since(t0);
    const int first_cells = int(t.Image1.size());

    const auto t1 = std::chrono::steady_clock::now();
    // Page by whole pages until the wanted number of cells is loaded; the
    // last step stops exactly there.
    while (bench::next_page(t, pictures)) {
    }
    const double paging = seconds_since(t1);
    const int cells = int(t.Image1.size());
    int with_picture = 0;
    for (auto* image : t.Image1) with_picture += image->picture().empty() ? 0 : 1;

    std::printf("cell_px=%d\n", platform::twips_to_device_px_x(thumbs::kImageSize));
    std::printf("first_page_cells=%d\nfirst_page_s=%.3f\n", first_cells, first_page);
    std::printf("cells=%d\nwith_picture=%d\ntotal_s=%.3f\n", cells, with_picture, first_page + paging);
    std::printf("decodes=%lld\npeak_rss_mb=%.1f\n", platform::prefetch_decode_count(), peak_rss_mb());
    windows::thumbnails().reset();
    windows::progress().reset();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "generate") {
        return generate(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argc >= 6 && std::string(argv[5]) == "exif");
    }
    if (argc >= 4 && std::string(argv[1]) == "page") {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        platform::Application app(argv[0]);
        platform::configure_picture_decoding();
        return page(argv[2], std::atoi(argv[3]));
    }
    std::fprintf(stderr, "usage: %s generate FOLDER COUNT DISTINCT [exif] | page FOLDER PICTURES\n", argv[0]);
    return 2;
}
