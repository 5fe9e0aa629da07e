#pragma once
// Turning and mirroring decoded pixels as a JPEG's EXIF orientation asks,
// so that a camera photo is shown upright.
#include "platform/pictures/win32/picture_pixels.h"

namespace platform::win32 {

// The picture as it is shown for an EXIF orientation (1 to 8; any other
// value leaves it as stored): 5 to 8 swap width and height.
PictureData upright(PictureData stored, unsigned orientation);

}  // namespace platform::win32
