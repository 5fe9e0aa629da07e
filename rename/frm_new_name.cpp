#include "rename/frm_new_name.h"

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/core/runtime.h"
#include "rename/refusal_text.h"
#include "words/catalogue.h"

frmNewName::frmNewName()
    : form_(platform::FormKind::TopLevel),
      Label1(form_.add<platform::Label>("Label1")),
      txtNewName(form_.add<platform::TextBox>("txtNewName")),
      cmdOK(form_.add<platform::CommandButton>("cmdOK")),
      cmdCancel(form_.add<platform::CommandButton>("cmdCancel")) {
    form_.set_caption(words::say(words::kNewNameCaption));
    form_.set_client_size(5085, 1365);
    Label1.move(390, 300, 2550, 240);
    Label1.set_caption(words::say(words::kNewNamePrompt));
    Label1.set_font("MS Sans Serif", 9.75, true);
    txtNewName.move(300, 660, 2610, 345);
    cmdOK.move(3780, 255, 1005, 330);
    cmdOK.set_caption(words::say(words::kOkButton));
    cmdOK.set_default(true);
    cmdCancel.move(3780, 765, 1005, 330);
    cmdCancel.set_caption(words::say(words::kCancelButton));
    cmdCancel.set_cancel(true);
    form_.set_tab_order({&txtNewName, &cmdOK, &cmdCancel});
    cmdOK.on_click = [this] { cmdOK_Click(); };
    cmdCancel.on_click = [this] { cmdCancel_Click(); };
    form_.on_close = [this] { cmdCancel_Click(); };
    Record_File();
    Form_Load();
}

frmNewName::~frmNewName() = default;

// The hint "*" plus the old name's extension, for the person to overwrite.
void frmNewName::Form_Load() {
    const std::string& old = Module1::old_name;
    const std::string last4 = old.size() > 4 ? old.substr(old.size() - 4) : old;
    txtNewName.set_text(!last4.empty() && last4[0] == '.' ? "*" + last4 : std::string());
    txtNewName.set_focus();
}

// The shared variables are overwritten by other windows while the dialog is
// open (Thumbnail View saves its own folder in them), so the dialog keeps the
// file of the last double-click for itself.
void frmNewName::Record_File() {
    folder_ = Module1::cur_dir;
    name_ = Module1::old_name;
}

void frmNewName::cmdOK_Click() {
    Module1::file_name = txtNewName.text();
    if (!Module1::file_name.empty()) {
        const std::string typed = Module1::file_name;
        Module1::old_name = platform::join_path(folder_, name_);
        Module1::file_name = platform::join_path(folder_, typed);
        try {
            platform::rename_file_no_replace(Module1::old_name, Module1::file_name);
        } catch (const platform::Error& e) {
            // Refused: say why and leave the dialog open for another try,
            // with the names as they were before OK.
            Module1::old_name = name_;
            Module1::file_name = typed;
            platform::msg_box(rename_refusal_text(e, typed, name_), platform::MsgIcon::Exclamation);
            txtNewName.set_focus();
            return;
        }
    }
    // The shared drive and folder are left as they are: a Thumbnail View
    // opened since the double-click has saved its own there to return to.
    windows::main_browser_Restore_Dir();
    close_dialog();
}

void frmNewName::cmdCancel_Click() { close_dialog(); }

void frmNewName::close_dialog() {
    form_.close_silently();
    windows::new_name().release();
}
