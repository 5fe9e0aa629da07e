// The double-click that asks for a new name.
#include "app/state/module1.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "rename/frm_new_name.h"

// A double-click opens the rename dialog for the selected file, without
// blocking the rest of the program.
void frmBMPView::File1_DblClick() {
    Module1::cur_dir = Dir1.path();
    Module1::cur_drive = Drive1.drive();
    Module1::old_name = File1.file_name();
    Module1::file_name.clear();
    frmNewName& dialog = windows::new_name()();
    dialog.Record_File();
    dialog.form().show();
}
