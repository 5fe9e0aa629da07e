#pragma once
// The one queue through which every window of the program hands wallpapers
// to the desktop. Writing the preview bitmap and the desktop's own tools take
// long, and a tool may hang: they run on a single thread of their own, one
// wallpaper after the other in the order they were asked for, and the window
// thread never waits for them.
#include <string>

#include "platform/pictures/picture.h"

namespace platform {

// Queues a wallpaper and returns at once; window thread only. When
// `to_convert` holds a picture, it is written to the preview bitmap and that
// goes to the desktop in place of `path`; a bitmap that cannot be written is
// no wallpaper and nothing is handed over. The style is the one the store
// holds now, at this call, not when the desktop is reached. The call records
// the path as the store's Wallpaper value, as SystemParametersInfoA with the
// update-the-profile flag does. A fault other than a failing step (Error) is
// shown in the program's guard box as soon as it happens and does not touch
// the wallpapers queued after it.
void queue_wallpaper(Picture to_convert, std::string path);

// True while a wallpaper queued earlier waits or is being handed over.
bool wallpaper_handoff_busy();

// Waits until every wallpaper queued so far has been handed over (or failed
// to be). For tests and benchmarks: the windows never wait.
void wait_for_wallpapers();

}  // namespace platform
