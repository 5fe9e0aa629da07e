#include "app/frame/startup.h"

#include "app/frame/mdi_form.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/pictures/picture.h"

void prepare_glimmerbox() {
    platform::configure_picture_decoding();
    windows::set_frame_form([]() -> platform::Form& { return windows::frame().form(); });
    windows::set_main_browser_Restore_Dir([] { windows::main_browser().Restore_Dir(); });
}

void start_glimmerbox() { windows::frame().MDIForm_Load(); }
