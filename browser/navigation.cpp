// The linked drive, folder and file lists.
#include "app/state/module1.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/error.h"

using platform::skip_on_error;

void frmBMPView::Drive1_Change() {
    Timer1.set_interval(0);
    file_index = 0;
    Dir1.set_path(Drive1.drive());
    Filter1.set_list_index(0);
    Hide_Bars();
}

void frmBMPView::Dir1_Change() {
    Timer1.set_interval(0);
    file_index = 0;
    File1.set_path(Dir1.path());
    Filter1.set_list_index(0);
    Hide_Bars();
}

// A single click only highlights a folder: the file list re-reads the folder
// it already shows.
void frmBMPView::Dir1_Click() {
    Timer1.set_interval(0);
    file_index = 0;
    File1.refresh();
    Filter1.set_list_index(0);
    Hide_Bars();
}

// Puts the lists back on the saved drive and folder. Only the first step can
// fail outward; a saved folder that is gone leaves the lists where the
// earlier steps got to.
void frmBMPView::Restore_Dir() {
    Drive1.set_drive(Module1::cur_drive);
    skip_on_error([&] { Drive1.refresh(); });
    skip_on_error([&] { Dir1.set_path(Drive1.drive()); });
    skip_on_error([&] { Dir1.set_path(Module1::cur_dir); });
    skip_on_error([&] { Dir1.refresh(); });
    skip_on_error([&] { File1.set_path(Dir1.path()); });
    skip_on_error([&] { File1.refresh(); });
    skip_on_error([&] { Filter1.set_list_index(0); });
}
