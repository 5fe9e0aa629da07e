// A control's place and size in twips, the same on every system; the
// window on screen follows through apply_geometry.
#include "platform/controls/controls.h"
#include "platform/core/types.h"

namespace platform {

void Control::set_left(double twips) {
    leave_old_place();
    left_ = static_cast<int>(round_half_even(twips));
    apply_geometry();
}
void Control::set_top(double twips) {
    leave_old_place();
    top_ = static_cast<int>(round_half_even(twips));
    apply_geometry();
}
void Control::set_width(double twips) {
    leave_old_place();
    width_ = static_cast<int>(round_half_even(twips));
    apply_geometry();
}
void Control::set_height(double twips) {
    leave_old_place();
    height_ = static_cast<int>(round_half_even(twips));
    apply_geometry();
}
void Control::move(double left, double top, double width, double height) {
    leave_old_place();
    left_ = static_cast<int>(round_half_even(left));
    top_ = static_cast<int>(round_half_even(top));
    width_ = static_cast<int>(round_half_even(width));
    height_ = static_cast<int>(round_half_even(height));
    apply_geometry();
}

}  // namespace platform
