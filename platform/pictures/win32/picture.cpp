// Picture files decoded through the Windows Imaging Component, after our own
// reading of their header has reserved the memory the decode may take.
#include "platform/pictures/picture.h"

#include <algorithm>
#include <mutex>

#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/pictures/bitmap_file.h"
#include "platform/pictures/decode_budget.h"
#include "platform/pictures/win32/picture_decode.h"
#include "platform/pictures/win32/picture_file.h"
#include "words/catalogue.h"

namespace platform {
namespace {

using win32::PictureFile;

// The largest size of the picture's aspect inside the box, never larger than
// the picture itself, never below one pixel (the same arithmetic as the
// toolkit's on Linux, so both give the same copies).
std::pair<int, int> fitting_size(int w, int h, int box_w, int box_h) {
    box_w = std::max(1, box_w);
    box_h = std::max(1, box_h);
    const long long rw = static_cast<long long>(box_h) * w / h;
    long long tw = rw, th = box_h;
    if (rw > box_w) tw = box_w, th = static_cast<long long>(box_w) * h / w;
    if (tw > w || th > h) tw = w, th = h;
    return {int(std::max(1LL, tw)), int(std::max(1LL, th))};
}

// A component of a premultiplied pixel made whole again.
std::uint32_t unpremultiplied(std::uint32_t c, std::uint32_t alpha) {
    return std::min<std::uint32_t>(255, (c * 255 + alpha / 2) / alpha);
}

}  // namespace

int Picture::width_px() const { return data_ ? data_->width : 0; }

int Picture::height_px() const { return data_ ? data_->height : 0; }

Picture load_picture(const std::string& path) {
    PictureFile file(path);
    return Picture(win32::decode_upright(file, file.upright_width(), file.upright_height()));
}

Picture load_picture_within(const std::string& path, std::uint64_t max_decode_bytes, FileStamp& opened,
                            StopFlag stop) {
    try {
        PictureFile file(path, stop);
        opened = file.stamp();
        const std::uint64_t pixels = std::uint64_t(file.upright_width()) * std::uint64_t(file.upright_height());
        if (win32::decode_bytes(file, pixels) > max_decode_bytes) return Picture();
        Picture picture(win32::decode_upright(file, file.upright_width(), file.upright_height()));
        // Stopped part-way, what was decoded is not the picture.
        return file.stopped() ? Picture() : picture;
    } catch (const Error&) {
        if (stop && stop->load()) return Picture();  // the file refused the reads after the stop
        throw;
    }
}

bool file_stamp(const std::string& path, FileStamp& out) {
    const HANDLE file =
        ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool regular = ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
                         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    const bool ok = regular && win32::stamp_of_handle(file, out);
    ::CloseHandle(file);
    return ok;
}

Picture load_picture_fitting(const std::string& path, int box_width_px, int box_height_px) {
    PictureFile file(path);
    const auto [w, h] = fitting_size(file.upright_width(), file.upright_height(), box_width_px, box_height_px);
    return Picture(win32::decode_upright(file, w, h));
}

void save_picture_bmp(const Picture& picture, const std::string& path) {
    if (picture.empty() || picture.data()->pixels.empty()) {
        throw Error(err::kInvalidPicture, words::kNoPictureToSaveAs, {display_text(path)});
    }
    const PictureData& data = *picture.data();
    // Transparency is dropped: each row is made whole again (not
    // premultiplied), as the bitmap has no alpha.
    std::vector<std::uint32_t> row(std::size_t(data.width));
    const std::string bytes = bitmap_file_bytes(data.width, data.height, [&](int y) {
        const std::uint32_t* from = data.pixels.data() + std::size_t(y) * std::size_t(data.width);
        for (std::size_t x = 0; x < row.size(); ++x) {
            const std::uint32_t p = from[x], a = p >> 24;
            if (a == 255 || a == 0) {
                row[x] = p & 0xFFFFFF;
                continue;
            }
            row[x] = unpremultiplied((p >> 16) & 0xFF, a) << 16 | unpremultiplied((p >> 8) & 0xFF, a) << 8 |
                     unpremultiplied(p & 0xFF, a);
        }
        return row.data();
    });
    write_file_atomically(path, bytes);
}

// Nothing to set on Windows: WIC allocates what our own header reading let
// through, within the decode budget.
void configure_picture_decoding() {}

// Pictures are decoded whole on Windows: WIC's decoders (Wine's, at least)
// decode the whole image when they open it, so decoding the visible part
// first would save nothing.
void set_visible_part(int, int) {}

}  // namespace platform
