#pragma once
// Camera-like photos for the benchmark.
#include <string>

namespace bench {

// Writes a 4000 x 3000 JPEG of busy, photo-like content (about 3 MB) made
// from `seed`; with `exif_thumbnail` it carries a 160 x 120 EXIF thumbnail
// as camera files do.
void write_photo(const std::string& path, unsigned seed, bool exif_thumbnail);

}  // namespace bench
