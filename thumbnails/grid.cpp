// The grid: how many rows and columns fit, and showing and hiding a page.
#include <algorithm>
#include <string>

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "platform/core/runtime.h"
#include "platform/core/services.h"
#include "platform/core/types.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/grid_constants.h"
#include "words/catalogue.h"

using namespace thumbs;

void frmThumbnails::Init_Grid() {
    Module1::cancel_flag = 0;
    windows::progress()().form().show();
    std::string message = words::say(words::kCheckingScreen);
    progress_message(message);

    // Rows and columns come from the browser's size; a browser smaller than
    // one cell still gets one row and one column.
    const long long height = platform::round_half_even(Module1::view_height - Image1[0]->top());
    const long long width =
        platform::round_half_even(double(Module1::view_width) - Image1[0]->left() - 3.0 * VScroll1.width());
    rows_per_page = static_cast<std::int32_t>(std::max(1LL, height / kRowPitch));
    cols_per_row = static_cast<std::int32_t>(std::max(1LL, width / kColumnPitch));

    const long long per_page = static_cast<long long>(rows_per_page) * cols_per_row;
    const long long n = File1.list_count();
    if (per_page < n) {
        VScroll1.set_visible(true);
        VScroll1.set_left(static_cast<double>(cols_per_row) * kColumnPitch + Image1[0]->left());
        VScroll1.set_top(Image1[0]->top());
        VScroll1.set_min(0);
        const long long max_row =
            platform::round_half_even(static_cast<double>(n) / cols_per_row - rows_per_page + 1);
        // The bar holds 16-bit rows; a folder too long for it pages as far
        // as the bar reaches.
        VScroll1.set_max(std::min<long long>(max_row, kMaxScrollRows));
        VScroll1.set_large_change(rows_per_page);
    }

    Load_Page(0);
    if (life_.closed()) return;
    if (Module1::cancel_flag == platform::kTrue) {
        Form_Unload();
        return;
    }
    if (Image1.size() == 1 && Image1[0]->tooltip().empty()) {
        platform::msg_box(words::say(words::kNoGraphicsFile), platform::MsgIcon::None, platform::MsgButtons::Ok,
                          words::say(words::kAppTitle));
        Module1::cancel_flag = platform::kTrue;
        return;
    }
    Show_Page(0);
    // A page asked for while the first one loaded.
    if (life_.page_deferred()) serve_page_change();
}

void frmThumbnails::Show_Page(const std::int32_t& first_row) {
    first_index = cols_per_row * first_row;
    const long long end = (static_cast<long long>(first_row) + rows_per_page) * cols_per_row - 1;
    const long long n = File1.list_count();
    const long long cells = static_cast<long long>(Image1.size());
    for (long long i = first_index; i <= end; ++i) {
        if (i >= n || i >= cells) break;
        const long long rel = i - first_index;
        const long long column = rel % cols_per_row;
        const long long row = rel / cols_per_row;
        const double left = kMargin + static_cast<double>(column) * kColumnPitch;
        const double top = kMargin + static_cast<double>(row) * kRowPitch;
        platform::PictureBox& image = *Image1[static_cast<size_t>(i)];
        platform::Label& label = *lb_txt[static_cast<size_t>(i)];
        image.set_top(top);
        label.set_top(top + kImageSize);
        image.set_left(left);
        label.set_left(left);
        image.set_height(kImageSize);
        image.set_width(kImageSize);
        image.set_stretch(true);
        image.set_visible(true);
        label.set_visible(true);
    }
}

void frmThumbnails::Hide_Page() {
    const long long end = static_cast<long long>(first_index) + static_cast<long long>(cols_per_row) * rows_per_page - 1;
    const long long cells = static_cast<long long>(Image1.size());
    for (long long i = first_index; i <= end; ++i) {
        if (i >= cells) break;
        Image1[static_cast<size_t>(i)]->set_visible(false);
        lb_txt[static_cast<size_t>(i)]->set_visible(false);
        // An enlarged picture that leaves with its page goes back to its
        // reduced copy; it comes back in its cell.
        if (i == zoom_index) show_reduced_copy(static_cast<int>(i));
    }
}
