// Stand-ins for the Windows pictures layer, linked only while it is not in
// this build: the controls' tests make their pictures in memory.
#include "platform/core/error.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/win32/picture_pixels.h"

namespace platform {

int Picture::width_px() const { return data_ ? data_->width : 0; }
int Picture::height_px() const { return data_ ? data_->height : 0; }

Picture load_picture(const std::string&) { throw Error(err::kFileNotFound, "File not found"); }

void save_picture_bmp(const Picture&, const std::string&) { throw Error(err::kPathFileAccess, "Path/File access error"); }

}  // namespace platform
