// The calls from the lower windows up to the frame and main_browser
// (app/state/windows.h), set at start by prepare_glimmerbox.
#include "app/state/windows.h"

#include <utility>

namespace windows {
namespace {

std::function<platform::Form&()>& frame_form_fn() {
    static std::function<platform::Form&()> f;
    return f;
}

std::function<void()>& restore_dir_fn() {
    static std::function<void()> f;
    return f;
}

}  // namespace

platform::Form& frame_form() { return frame_form_fn()(); }
void main_browser_Restore_Dir() { restore_dir_fn()(); }
void set_frame_form(std::function<platform::Form&()> get) { frame_form_fn() = std::move(get); }
void set_main_browser_Restore_Dir(std::function<void()> call) { restore_dir_fn() = std::move(call); }

}  // namespace windows
