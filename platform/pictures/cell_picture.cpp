#include "platform/pictures/cell_picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <algorithm>

#include "platform/core/error.h"
#include "platform/core/services.h"
#include "platform/files/files.h"
#include "platform/pictures/exif_thumbnail.h"
#include "platform/pictures/picture_data.h"
#include "platform/pictures/thumbnail_cache.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "words/catalogue.h"

namespace platform {
namespace {

double device_pixel_ratio() {
    QScreen* s = QGuiApplication::primaryScreen();
    const double r = s ? s->devicePixelRatio() : 1.0;
    return r > 0 ? r : 1.0;
}

// What a cell shows of a source: the box, or less along an axis where the
// source has fewer pixels. Each axis is squeezed on its own, so a source
// that holds at least the box's pixels along both keeps all its content.
QSize cell_size(QSize source, int bw, int bh) {
    return QSize(std::clamp(source.width(), 1, bw), std::clamp(source.height(), 1, bh));
}

Picture cell_from(const QImage& source, int bw, int bh) {
    const QSize target = cell_size(source.size(), bw, bh);
    if (target == source.size()) return picture_from_image(source);
    return picture_from_image(source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// A thumbnail serves a cell when it is the whole picture (smaller than its
// folder's side), or holds at least the box's pixels along both axes.
bool serves_cell(QSize thumbnail, int folder_px, int bw, int bh) {
    if (thumbnail.width() < folder_px && thumbnail.height() < folder_px) return true;
    return thumbnail.width() >= bw && thumbnail.height() >= bh;
}

// A reduced copy fitting the box (w, h) that also holds at least (bw, bh)
// pixels along each axis where the picture has them. A picture more than
// twice as wide as high (or high as wide) is too thin after the first fit
// and is decoded again to the box's rows (or columns); the fitted side,
// being whole pixels rounded down, bounds the picture's shape from above,
// and the copy's long side stays within bh x w (bw x h), however thin.
QImage covering_copy(const std::string& path, int w, int h, int bw, int bh) {
    QImage image = load_picture_fitting(path, w, h).data()->image;
    const int iw = image.width(), ih = image.height();
    if (ih < bh && iw >= w) {
        const long long wide = (static_cast<long long>(bh) * w + ih - 1) / ih;
        image = load_picture_fitting(path, int(std::min<long long>(wide, 1 << 20)), bh).data()->image;
    } else if (iw < bw && ih >= h) {
        const long long high = (static_cast<long long>(bw) * h + iw - 1) / iw;
        image = load_picture_fitting(path, bw, int(std::min<long long>(high, 1 << 20))).data()->image;
    }
    return image;
}

// The copy the cache keeps: the decoded copy fitted into the normal size.
QImage thumbnail_of(const QImage& image) {
    if (image.width() <= kNormalThumbnailPx && image.height() <= kNormalThumbnailPx) return image;
    return image.scaled(kNormalThumbnailPx, kNormalThumbnailPx, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

int twips_to_device_px_x(double twips) { return std::max(1, twips_to_px_x(twips * device_pixel_ratio())); }
int twips_to_device_px_y(double twips) { return std::max(1, twips_to_px_y(twips * device_pixel_ratio())); }

Picture load_cell_picture(const std::string& path, int box_width_px, int box_height_px) {
    const int bw = std::max(1, box_width_px);
    const int bh = std::max(1, box_height_px);
    const std::string cache = services().thumbnail_cache_folder;
    const auto key = thumbnail_key(cache, path);
    bool cached = false;  // a valid thumbnail exists, though too small for the cell
    if (key) {
        const QImage thumbnail = read_thumbnail(
            cache, *key, [&](QSize size, int folder_px) { return serves_cell(size, folder_px, bw, bh); }, &cached);
        if (!thumbnail.isNull()) return cell_from(thumbnail, bw, bh);
        if (has_failed_before(cache, *key)) {
            throw Error(err::kInvalidPicture, words::kNotAPicture,
                        {display_text(path), words::say(words::kFailedBefore)});
        }
    }
    // A camera's own small copy is enough for a cell and ten times faster
    // than decoding the picture.
    const QImage exif = exif_thumbnail_covering(path, bw, bh);
    if (!exif.isNull()) return picture_from_image(exif.scaled(bw, bh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    if (!key || cached) return cell_from(covering_copy(path, 2 * bw, 2 * bh, bw, bh), bw, bh);
    // Decoded large enough for the cache's thumbnail too, which is then kept
    // for the next visit and for other programs; a JPEG decodes at the same
    // eighth-scale either way.
    QImage image;
    try {
        image = covering_copy(path, std::max(2 * bw, kNormalThumbnailPx), std::max(2 * bh, kNormalThumbnailPx), bw, bh);
    } catch (const Error& e) {
        if (e.number() == err::kInvalidPicture) record_failure(cache, *key);
        throw;
    }
    const QImage thumbnail = thumbnail_of(image);
    write_thumbnail(cache, *key, thumbnail);
    // From the thumbnail when it serves, so that this visit and the next show
    // the same cell.
    const bool whole = thumbnail.size() == image.size();
    return cell_from(whole || serves_cell(thumbnail.size(), kNormalThumbnailPx, bw, bh) ? thumbnail : image, bw, bh);
}

}  // namespace platform
