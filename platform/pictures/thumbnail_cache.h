#pragma once
// The desktop's shared thumbnail cache: PNG files named by the MD5 of a
// picture's file URI, in normal/ (128 px) and large/ (256 px), each holding
// the URI, the picture's modification time and, when the writer gave it, its
// size, which make it valid. File
// managers fill it too, so their thumbnails serve our cells and ours theirs.
// Failures to read or write are silent: the cache only ever saves work.
#include <QImage>
#include <QSize>

#include <functional>
#include <optional>
#include <string>

namespace platform {

// The largest side of a thumbnail in normal/.
inline constexpr int kNormalThumbnailPx = 128;

// One picture file as the cache knows it.
struct ThumbnailKey {
    std::string uri;    // file:// URI of the path
    std::string mtime;  // modification time, whole seconds in decimal
    std::string size;   // size in bytes, in decimal
    std::string name;   // MD5 of the URI in lower-case hex, then ".png"
};

// The file name of a URI's thumbnail.
std::string thumbnail_file_name(const std::string& uri);

// The key of a picture file; none when there is no cache (empty folder), the
// path is relative, the file is no regular file or cannot be opened for
// reading, or it lies inside the cache folder itself (thumbnails are never
// made of thumbnails).
std::optional<ThumbnailKey> thumbnail_key(const std::string& cache_folder, const std::string& path);

// A valid thumbnail of the file from normal/, else large/: a regular PNG of
// sane size whose URI, MTime and (when it has one) Size match the key, read
// without inflating more than its keys, decoded within the decode budget,
// that `usable` accepts (its size, and the largest side of its
// folder). Null when there is none. valid_entry, when given, tells whether a
// valid thumbnail exists in normal/ at all, usable or not.
QImage read_thumbnail(const std::string& cache_folder, const ThumbnailKey& key,
                      const std::function<bool(QSize size, int folder_px)>& usable, bool* valid_entry = nullptr);

// Writes the thumbnail (at most 128 px a side) into normal/: a temporary
// file in the same folder, flushed, made 0600 and renamed over the old one;
// missing folders are made 0700. False on any failure.
bool write_thumbnail(const std::string& cache_folder, const ThumbnailKey& key, const QImage& thumbnail);

// Whether this version of the program already failed to decode the file as
// it is now (an entry in fail/glimmerbox-VERSION/ whose URI, MTime and Size
// all match), and recording such a failure.
bool has_failed_before(const std::string& cache_folder, const ThumbnailKey& key);
bool record_failure(const std::string& cache_folder, const ThumbnailKey& key);

}  // namespace platform
