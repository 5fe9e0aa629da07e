#include "app/frame/mdi_form.h"

#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "words/catalogue.h"

MDIForm1::MDIForm1() : form_(platform::FormKind::Frame) {
    form_.set_caption(words::say(words::kFrameCaption));
    form_.on_close = [] { platform::end_program(); };
    form_.on_click = [this] { MDIForm_Click(); };
}

MDIForm1::~MDIForm1() = default;

void MDIForm1::MDIForm_Load() {
    form_.set_window_state(platform::kStateMaximized);
    form_.show();
    start_browser_ = std::make_unique<frmBMPView>(form_);
    start_browser_->form().set_window_state(platform::kStateMaximized);
    start_browser_->form().show();
    start_browser_->form().set_caption(words::say(words::kBrowserCaption));
}

// A click on the empty background stops the slideshow of the browser that
// the other windows use.
void MDIForm1::MDIForm_Click() { windows::main_browser().Timer1.set_interval(0); }
