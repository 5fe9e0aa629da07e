#pragma once
// A picture file decoded within the decode budget and turned upright.
#include <cstdint>
#include <memory>

#include "platform/pictures/win32/picture_file.h"
#include "platform/pictures/win32/picture_pixels.h"

namespace platform::win32 {

// What decoding the file to this many pixels may take: what the decoder
// holds (its header tells), our pixels and a turned copy of them.
std::uint64_t decode_bytes(const PictureFile& file, std::uint64_t target_pixels);

// The picture of the file at the given upright size (its own, or a reduced
// copy that WIC's scaler makes), EXIF orientation applied. Reserves what
// decode_bytes tells for the time of the decode, waiting while other decodes
// hold the memory; a picture that could never fit is refused (481).
std::shared_ptr<const PictureData> decode_upright(const PictureFile& file, int width, int height);

}  // namespace platform::win32
