#pragma once
// The application-wide window references. Each is defined beside its
// window, whose type only the layer holding it knows: the frame's and
// reset_all in app/frame/frame_ref.cpp, main_browser in
// browser/main_browser.cpp, the thumbnail and progress windows' in
// thumbnails/window_refs.cpp, the rename dialog's in rename/window_ref.cpp;
// the calls upward in app/state/wired_calls.cpp.
#include <functional>

#include "app/state/window_ref.h"

namespace platform {
class Form;
}

class MDIForm1;
class frmBMPView;
class frmThumbnails;
class frmProgress;
class frmNewName;

namespace windows {

// The frame window, created at start.
MDIForm1& frame();
// The browser window that other windows call; created, loaded and shown as a
// further maximised child of the frame on first use.
frmBMPView& main_browser();
bool main_browser_loaded();

WindowRef<frmThumbnails>& thumbnails();
WindowRef<frmProgress>& progress();
WindowRef<frmNewName>& new_name();

// Destroys every window and forgets them (between tests).
void reset_all();
// Destroys main_browser now (reset_all).
void reset_main_browser();

// The frame's form and Restore_Dir on main_browser, for the windows that the
// build places below the frame and the browser; prepare_glimmerbox
// (app/frame/startup.h) sets them at start.
platform::Form& frame_form();
void main_browser_Restore_Dir();
void set_frame_form(std::function<platform::Form&()> get);
void set_main_browser_Restore_Dir(std::function<void()> call);

}  // namespace windows
