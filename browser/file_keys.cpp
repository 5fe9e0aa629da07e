// Keys in the file list: Delete removes the selected file at once.
#include "browser/frm_bmp_view.h"
#include "platform/core/error.h"
#include "platform/files/files.h"

using platform::skip_on_error;

namespace {
constexpr std::int16_t kDeleteKey = 46;
}

void frmBMPView::File1_KeyDown(std::int16_t& KeyCode, int /*Shift*/) {
    if (KeyCode != kDeleteKey) return;
    // With no entry selected the path is the folder itself, which is never
    // deleted.
    const std::string path = platform::join_path(File1.path(), File1.file_name());
    file_index = File1.list_index();
    skip_on_error([&] { platform::delete_file(path); });
    skip_on_error([&] { File1.refresh(); });
    skip_on_error([&] { File1.set_list_index(file_index); });
    skip_on_error([&] { File1.set_focus(); });
    skip_on_error([&] { Hide_Bars(); });
}
