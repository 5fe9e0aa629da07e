#pragma once
// Reduced copies of pictures for small cells that draw their picture
// stretched into a fixed box.
#include <string>

#include "platform/pictures/picture.h"

namespace platform {

// The device pixels of a length in twips on the primary screen, at its
// device pixel ratio (two on a doubled screen); at least one.
int twips_to_device_px_x(double twips);
int twips_to_device_px_y(double twips);

// Loads a copy of a picture for a cell drawn stretched into a box of the
// given device pixels: never larger than the box in either direction and
// never larger than the picture. The copy holds what the cell shows, so it
// follows the box's shape, not the picture's. Same errors as load_picture.
// Safe to call from any thread. With a thumbnail cache in the services, a
// valid cached thumbnail that serves the box is used instead of the picture,
// and a picture that is decoded leaves its thumbnail there for next time.
Picture load_cell_picture(const std::string& path, int box_width_px, int box_height_px);

}  // namespace platform
