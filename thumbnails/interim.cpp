// Interim until the thumbnail grid lands: the window reports nothing to show.
#include "app/module1.h"
#include "app/windows.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

frmThumbnails::frmThumbnails() : form_(platform::FormKind::TopLevel) { Form_Load(); }
frmThumbnails::~frmThumbnails() = default;
void frmThumbnails::Form_Load() { Module1::cancel_flag = -1; }
void frmThumbnails::Form_Unload() {}
void unload_thumbnails() {
    if (!windows::thumbnails().loaded()) return;
    windows::thumbnails()().Form_Unload();
    windows::thumbnails()().form().close_silently();
    windows::thumbnails().release();
}
frmProgress::frmProgress() : form_(platform::FormKind::TopLevel) {}
frmProgress::~frmProgress() = default;
