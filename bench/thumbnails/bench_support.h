#pragma once
// What the benchmarks that drive the real windows share: the real services
// without modal boxes, and paging the thumbnail window as a user pages it.
#include <cstdio>

#include "platform/core/services.h"
#include "platform/desktop/real_services.h"
#include "thumbnails/frm_thumbnails.h"

namespace bench {

// The real services, but a message is printed instead of waiting in a modal
// box, and the program's end is left to the benchmark.
inline platform::Services unattended_services() {
    platform::Services s = platform::real_services();
    s.message_box = [](const platform::MessageBoxRequest& r) {
        std::fprintf(stderr, "message: %s\n", r.text.c_str());
        return platform::kAnswerOk;
    };
    s.end_program = [] {};
    return s;
}

// Moves the grid on by one page, the last step stopping exactly at the row
// that shows the `count`th cell. False when there is nothing more to page.
inline bool next_page(frmThumbnails& t, int count) {
    if (int(t.Image1.size()) >= count || !t.VScroll1.visible()) return false;
    const int want_rows = (count + t.cols_per_row - 1) / t.cols_per_row;
    int row = t.VScroll1.value() + t.rows_per_page;
    if (row + t.rows_per_page > want_rows) row = want_rows - t.rows_per_page;
    if (row > t.VScroll1.max()) row = t.VScroll1.max();
    if (row <= t.VScroll1.value()) return false;
    t.VScroll1.set_value(row);
    return true;
}

}  // namespace bench
