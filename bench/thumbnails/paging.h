#pragma once
// Paging the real thumbnail window the way a user pages it, shared by the
// speed and memory benchmarks.
#include "thumbnails/frm_thumbnails.h"

namespace bench {

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
