// The picture area: showing the selected file at its own size and moving it
// with the scroll bars.
#include "app/state/module1.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/runtime.h"

using platform::round_half_even;
using platform::skip_on_error;

void frmBMPView::File1_Click() {
    // Only a list with entries can have one selected.
    if (File1.list_count() <= 0) return;
    Hide_Bars();
    file_index = File1.list_index();
    if (file_index < 0) file_index = 0;
    File1.set_list_index(file_index);

    // From here on a failing step is skipped: an unreadable file leaves the
    // previous picture, which goes back home with bars computed for it.
    skip_on_error([&] { Module1::file_name = platform::join_path(File1.path(), File1.file_name()); });
    skip_on_error([&] { Image1.set_picture(neighbour_pictures.take(Module1::file_name)); });
    skip_on_error([&] { Image1.set_top(image_top); });
    skip_on_error([&] { Image1.set_left(image_left); });
    skip_on_error([&] {
        pic_width = static_cast<std::int32_t>(round_half_even(Image1.width()));
        pic_height = static_cast<std::int32_t>(round_half_even(Image1.height()));
    });
    skip_on_error([&] { VScroll1.set_min(image_top); });
    skip_on_error([&] {
        VScroll1.set_max(round_half_even(static_cast<double>(image_top) + pic_height - Filter1.top()));
    });
    skip_on_error([&] { HScroll1.set_min(image_left); });
    skip_on_error([&] {
        HScroll1.set_max(round_half_even(static_cast<double>(image_left) + pic_width - form_.width()));
    });
    skip_on_error([&] {
        if (platform::screen_height_twips() - form_.top() < pic_height) {
            VScroll1.set_visible(true);
        } else {
            VScroll1.set_visible(false);
            VScroll1.set_value(VScroll1.min());
        }
    });
    skip_on_error([&] {
        if (platform::screen_width_twips() - File1.width() < pic_width) {
            HScroll1.set_visible(true);
            HScroll1.set_top(form_.top() + form_.height() - HScroll1.height());
        } else {
            HScroll1.set_visible(false);
            HScroll1.set_value(HScroll1.min());
        }
    });
    decode_neighbours();
}

// The next entry first: it is the one a key most often brings.
void frmBMPView::decode_neighbours() {
    skip_on_error([&] {
        std::vector<std::string> paths;
        for (const int i : {file_index + 1, file_index - 1}) {
            if (i >= 0 && i < File1.list_count()) paths.push_back(platform::join_path(File1.path(), File1.list(i)));
        }
        neighbour_pictures.decode_ahead(std::move(paths));
    });
}

void frmBMPView::Hide_Bars() {
    VScroll1.set_visible(false);
    HScroll1.set_visible(false);
    VScroll1.set_value(VScroll1.min());
    HScroll1.set_value(HScroll1.min());
}

void frmBMPView::HScroll1_Change() {
    if (HScroll1.visible()) Image1.set_left(image_left - HScroll1.value());
    if (File1.visible()) File1.set_focus();
}

void frmBMPView::HScroll1_Scroll() { HScroll1_Change(); }

void frmBMPView::VScroll1_Change() {
    if (VScroll1.visible()) Image1.set_top(image_top - VScroll1.value());
    if (File1.visible()) File1.set_focus();
}

void frmBMPView::VScroll1_Scroll() { VScroll1_Change(); }
