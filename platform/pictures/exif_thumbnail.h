#pragma once
// The small thumbnail that cameras embed in a JPEG's EXIF block.
#include <QImage>

#include <string>
#include <string_view>

namespace platform {

// The EXIF thumbnail of a JPEG file, upright (the picture's EXIF orientation
// applied), when it has the same shape as the picture itself (within 1%)
// and covers a box of the given pixels; a null image otherwise, also for
// any file that is not such a JPEG. Reads only the file's first blocks and
// never throws.
QImage exif_thumbnail_covering(const std::string& path, int box_width_px, int box_height_px);

// The same, from the first bytes of a file (untrusted: any bytes at all).
QImage exif_thumbnail_in_head(std::string_view head, int box_width_px, int box_height_px);

// How many first bytes of a file exif_thumbnail_covering reads.
inline constexpr std::size_t kExifHeadBytes = 192 * 1024;

}  // namespace platform
