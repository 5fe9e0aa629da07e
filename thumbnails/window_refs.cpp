// The thumbnail and progress window references (app/state/windows.h), kept
// with their windows.
#include "app/state/windows.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

namespace windows {

WindowRef<frmThumbnails>& thumbnails() {
    static auto* ref = new WindowRef<frmThumbnails>([] { return std::make_unique<frmThumbnails>(); });  // outlives exit()
    return *ref;
}

WindowRef<frmProgress>& progress() {
    static auto* ref = new WindowRef<frmProgress>([] { return std::make_unique<frmProgress>(); });  // outlives exit()
    return *ref;
}

}  // namespace windows
