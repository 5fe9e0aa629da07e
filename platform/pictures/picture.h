#pragma once
// Decoded pictures. Every picture loads through here: EXIF orientation
// applied, an icon's largest image, a GIF's first frame. Every decode first
// reserves its memory from one budget shared by all threads (decode_budget.h),
// so a decompression bomb is refused instead of allocated.
#include <memory>
#include <string>

namespace platform {

struct PictureData;  // holds the decoded image; known only inside platform/

class Picture {
public:
    Picture() = default;
    explicit Picture(std::shared_ptr<const PictureData> data) : data_(std::move(data)) {}
    bool empty() const { return !data_; }
    int width_px() const;
    int height_px() const;
    const std::shared_ptr<const PictureData>& data() const { return data_; }

private:
    std::shared_ptr<const PictureData> data_;
};

// Loads a picture file at its own size. Throws 53 when the file cannot be
// opened and 481 when it is not a picture that can be decoded.
Picture load_picture(const std::string& path);

// Loads a reduced copy that fits a box of the given pixels, keeping the
// aspect and never enlarging; JPEG decodes at reduced scale. Same errors.
// Safe to call from any thread.
Picture load_picture_fitting(const std::string& path, int box_width_px, int box_height_px);

// Saves a picture as an uncompressed Windows bitmap, atomically. Throws 75
// when it cannot be written.
void save_picture_bmp(const Picture& picture, const std::string& path);

// Process-wide decoder settings (allocation limit); called once at start.
void configure_picture_decoding();

}  // namespace platform
