#pragma once
// The application-wide window references.
#include "app/state/window_ref.h"

class MDIForm1;
class frmBMPView;
class frmThumbnails;
class frmProgress;
class frmNewName;

namespace windows {

// The frame window, created at start.
MDIForm1& frame();
bool frame_loaded();
// The browser window that other windows call; created, loaded and shown as a
// further maximised child of the frame on first use.
frmBMPView& main_browser();
bool main_browser_loaded();

WindowRef<frmThumbnails>& thumbnails();
WindowRef<frmProgress>& progress();
WindowRef<frmNewName>& new_name();

// Destroys every window and forgets them (between tests).
void reset_all();

}  // namespace windows
