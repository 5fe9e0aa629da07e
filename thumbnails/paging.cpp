// Paging with the scroll bar, and enlarging a thumbnail to its own size.
#include <algorithm>
#include <string>

#include "app/state/module1.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/types.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/grid_constants.h"

void frmThumbnails::VScroll1_Change() { change_page(); }

void frmThumbnails::VScroll1_Scroll() { change_page(); }

void frmThumbnails::change_page() {
    switch (life_.answer(thumbs::Request::ChangePage)) {
        case thumbs::Answer::Now: serve_page_change(); break;
        case thumbs::Answer::AfterLoading: life_.defer_page(); break;
        case thumbs::Answer::Ignored: break;
    }
}

// Serves page changes until none is left over: one that came in while its
// page loaded is served next, at the bar's latest value.
void frmThumbnails::serve_page_change() {
    do {
        life_.page_served();
        if (!VScroll1.visible()) return;
        const std::int32_t v = VScroll1.value();
        if (first_index / cols_per_row == v) continue;
        Hide_Page();
        Load_Page(v);
        if (life_.closed()) return;
        if (Module1::cancel_flag != platform::kTrue) Show_Page(v);
    } while (life_.page_deferred());
}

void frmThumbnails::Image1_Click(int Index) {
    // The loop that is loading a page owns the cells until it returns.
    if (life_.answer(thumbs::Request::Click) != thumbs::Answer::Now) return;
    if (Index < 0 || Index >= static_cast<int>(Image1.size())) return;
    if (zoom_index != Index && zoom_index != kNoZoom) return;  // another one is enlarged
    platform::PictureBox& image = *Image1[static_cast<size_t>(Index)];
    const int hidden_end = std::min(Index, static_cast<int>(Image1.size()));
    if (image.stretch()) {
        for (int k = first_index; k < hidden_end; ++k) {
            Image1[static_cast<size_t>(k)]->set_visible(false);
            lb_txt[static_cast<size_t>(k)]->set_visible(false);
        }
        saved_top = static_cast<float>(image.top());
        saved_left = static_cast<float>(image.left());
        saved_height = static_cast<std::int32_t>(platform::round_half_even(image.height()));
        saved_width = static_cast<float>(image.width());
        zoom_index = Index;
        image.set_top(thumbs::kMargin);
        image.set_left(thumbs::kMargin);
        // The cell holds a reduced copy; the picture at its own size is
        // decoded now and dropped again when it is put back. A file that can
        // no longer be read shows what the cell held.
        zoom_reduced_ = image.picture();
        zoom_full_shown_ = true;
        platform::skip_on_error([&] {
            image.set_picture(platform::load_picture(platform::join_path(File1.path(), File1.list(Index))));
        });
        image.set_stretch(false);
        image.bring_to_front();
    } else {
        for (int k = first_index; k < hidden_end; ++k) {
            Image1[static_cast<size_t>(k)]->set_visible(true);
            lb_txt[static_cast<size_t>(k)]->set_visible(true);
        }
        image.set_top(saved_top);
        image.set_left(saved_left);
        image.set_height(saved_height);
        image.set_width(saved_width);
        zoom_index = kNoZoom;
        show_reduced_copy(Index);
    }
}

// Puts the reduced copy back into an enlarged cell, scaled into its box.
void frmThumbnails::show_reduced_copy(int i) {
    platform::PictureBox& image = *Image1[static_cast<size_t>(i)];
    image.set_stretch(true);
    if (!zoom_full_shown_) return;
    image.set_picture(zoom_reduced_);
    zoom_reduced_ = platform::Picture();
    zoom_full_shown_ = false;
}
