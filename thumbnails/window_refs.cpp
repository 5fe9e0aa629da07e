// The thumbnail and progress window references (app/state/windows.h), kept
// with their windows.
#include "app/state/windows.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

namespace windows {

WindowRef<frmThumbnails>& thumbnails() {
    static WindowRef<frmThumbnails> ref([] { return std::make_unique<frmThumbnails>(); });
    return ref;
}

WindowRef<frmProgress>& progress() {
    static WindowRef<frmProgress> ref([] { return std::make_unique<frmProgress>(); });
    return ref;
}

}  // namespace windows
