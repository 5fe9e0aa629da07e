// A click on the picture gives it the whole window; another brings the lists
// back.
#include "browser/frm_bmp_view.h"

void frmBMPView::Image1_Click() {
    full_window = static_cast<platform::Bool16>(~full_window);
    Hide_and_Show(full_window);
}

void frmBMPView::Hide_and_Show(platform::Bool16 b_auto) {
    if (b_auto == platform::kTrue) {
        File1.set_visible(false);
        Dir1.set_visible(false);
        Drive1.set_visible(false);
        Filter1.set_visible(false);
        Image1.set_left(File1.left());
        Image1.set_top(File1.top());
    } else {
        Image1.set_left(image_left);
        Image1.set_top(image_top);
        File1.set_visible(true);
        Dir1.set_visible(true);
        Drive1.set_visible(true);
        Filter1.set_visible(true);
    }
}
