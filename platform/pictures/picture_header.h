#pragma once
// What a picture file's header claims, read by our own code before any
// decoder sees the file, so that the memory a decode may take is known (and
// reserved) before the decoder allocates it, and a header that lies is
// refused. Plain C++: the bytes are untrusted, read through a callback.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

enum class PictureKind { Bmp, Gif, Jpeg, Png, Ico };

struct PictureHeader {
    PictureKind kind = PictureKind::Bmp;
    // The stored size, before the EXIF orientation is applied.
    int width = 0;
    int height = 0;
    // What the decoder itself may hold while it decodes: the image in its own
    // format (a progressive JPEG also its coefficients, a GIF every frame).
    std::uint64_t decoder_bytes = 0;
    unsigned orientation = 1;  // EXIF orientation of a JPEG, 1 to 8
    int image_index = 0;       // the frame to decode: an icon's largest image, a GIF's first
    // The image the decoder gives: the picture itself, but for a GIF its
    // first frame, which sits at this place on its logical screen.
    int frame_width = 0;
    int frame_height = 0;
    int frame_left = 0;
    int frame_top = 0;
};

// Reads up to `bytes` bytes at `offset` into `buffer`; returns how many were
// read, fewer only at the end of the file or on a failure.
using ReadAt = std::function<std::size_t(std::uint64_t offset, void* buffer, std::size_t bytes)>;

// Larger pictures are refused before anything is allocated (16384 x 16384).
inline constexpr std::uint64_t kMaxHeaderPixels = 268'435'456;

// Reads the header of a BMP, GIF, JPEG, PNG or ICO file of `file_size` bytes,
// recognised by its content. False, with the reason for a person in `why`,
// when it is none of those, is truncated before its image data, claims no
// size or more pixels than kMaxHeaderPixels, or claims far more pixels than
// a file of its size could hold.
bool read_picture_header(const ReadAt& read, std::uint64_t file_size, PictureHeader& out, std::string& why);

}  // namespace platform
