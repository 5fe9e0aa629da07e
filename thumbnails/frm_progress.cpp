// The progress window: a running message and a Cancel button that stops the
// thumbnail loading through cancel_flag.
#include "thumbnails/frm_progress.h"

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "platform/core/types.h"
#include "words/catalogue.h"

frmProgress::frmProgress()
    : form_(platform::FormKind::TopLevel),
      lbl_1(form_.add<platform::Label>("lbl_1")),
      cmdCancel(form_.add<platform::CommandButton>("cmdCancel")) {
    form_.set_caption(words::say(words::kProgressCaption));
    form_.set_client_size(5820, 1035);
    lbl_1.move(240, 360, 4215, 495);
    cmdCancel.move(4860, 300, 855, 345);
    cmdCancel.set_caption(words::say(words::kCancelButton));
    cmdCancel.set_cancel(true);
    form_.set_tab_order({&lbl_1, &cmdCancel});
    cmdCancel.on_click = [this] { cmdCancel_Click(); };
    // The close box destroys the window and leaves cancel_flag alone.
    form_.on_close = [this] { destroy(); };
    Form_Load();
}

frmProgress::~frmProgress() = default;

void frmProgress::Form_Load() { lbl_1.set_caption(""); }

void frmProgress::Label_Changed(std::string& message_a) { lbl_1.set_caption(message_a); }

void frmProgress::cmdCancel_Click() {
    Module1::cancel_flag = platform::kTrue;
    destroy();
}

// Closes the window for good; the reference forgets it and the object goes
// once the current event is over.
void frmProgress::destroy() {
    form_.close_silently();
    if (windows::progress().get() == this) windows::progress().release();
}

void progress_message(std::string& message_a) { windows::progress()().Label_Changed(message_a); }
