#pragma once
// Decoded pictures. Every picture loads through here: EXIF orientation
// applied, an icon's largest image, a GIF's first frame. Every decode first
// reserves its memory from one budget shared by all threads (decode_budget.h),
// so a decompression bomb is refused instead of allocated.
#include <atomic>
#include <cstdint>
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

// Loads a picture file at its own size (see set_visible_part). Throws 53 when the file cannot be
// opened and 481 when it is not a picture that can be decoded.
Picture load_picture(const std::string& path);

// Which file a path named at one moment: a file replaced under the same
// name, or written in place, gives another stamp.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;
    std::int64_t changed_ns = 0;  // also moves when the modification time is set back
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at the path now; false when there is none.
bool file_stamp(const std::string& path, FileStamp& out);

// Once set, stops a decode part-way: its file refuses further reads.
using StopFlag = std::shared_ptr<const std::atomic<bool>>;

// load_picture for decoding ahead: also tells the stamp of the file it
// opened, and gives an empty picture, decoding nothing, when the decode
// would take more than max_decode_bytes, or when `stop` was set before it
// ended. Same errors. Safe on any thread.
Picture load_picture_within(const std::string& path, std::uint64_t max_decode_bytes, FileStamp& opened,
                            StopFlag stop = nullptr);

// Loads a reduced copy that fits a box of the given pixels, keeping the
// aspect and never enlarging; JPEG decodes at reduced scale. Same errors.
// Safe to call from any thread.
Picture load_picture_fitting(const std::string& path, int box_width_px, int box_height_px);

// Saves a picture as an uncompressed Windows bitmap, atomically. Throws 75
// when it cannot be written.
void save_picture_bmp(const Picture& picture, const std::string& path);

// Process-wide decoder settings (allocation limit, the part of a large
// picture decoded first); called once at start, on the main thread.
void configure_picture_decoding();

// A JPEG at its own size several times larger than this many pixels is
// handed out with its top-left part decoded, the rest following on a thread
// of its own; 0 x 0 decodes every picture whole first. Set from the screens
// by configure_picture_decoding.
void set_visible_part(int width_px, int height_px);

}  // namespace platform
