#pragma once
// Decoding through the Windows Imaging Component.
#include "platform/pictures/win32/picture_file.h"
#include "platform/pictures/win32/picture_pixels.h"

namespace platform::win32 {

// The image the file's header names (a GIF's first frame placed on its
// logical screen, an icon's largest image), as stored (no EXIF orientation),
// in top-down premultiplied 32-bit BGRA, scaled by WIC to width x height when
// that is not its own size. The caller has reserved the memory for it. Throws
// 481 when the decoder fails or finds another size than the header told.
PictureData decode_pixels(const PictureFile& file, int width, int height);

}  // namespace platform::win32
