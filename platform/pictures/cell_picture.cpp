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

namespace platform {
namespace {

double device_pixel_ratio() {
    QScreen* s = QGuiApplication::primaryScreen();
    const double r = s ? s->devicePixelRatio() : 1.0;
    return r > 0 ? r : 1.0;
}

// What a cell shows of a source: the source fitted, keeping its aspect, into
// twice the box (never enlarged unless asked), then cut down to the box on
// each side. Fitting into twice the box keeps both sides at least the box's
// for pictures up to twice as wide as high (or the other way round), so the
// final squeeze into the box only ever shrinks.
QSize cell_size(QSize source, int bw, int bh, bool may_enlarge) {
    QSize fitted = source.scaled(2 * bw, 2 * bh, Qt::KeepAspectRatio);
    if (!may_enlarge && (fitted.width() > source.width() || fitted.height() > source.height())) fitted = source;
    return QSize(std::clamp(fitted.width(), 1, bw), std::clamp(fitted.height(), 1, bh));
}

Picture cell_from(const QImage& source, int bw, int bh) {
    const QSize target = cell_size(source.size(), bw, bh, false);
    if (target == source.size()) return picture_from_image(source);
    return picture_from_image(source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// A thumbnail serves a cell when the cell is no larger than what the whole
// picture would give: the thumbnail is the whole picture (smaller than its
// folder's side), or it is already at least as large as that cell.
bool serves_cell(QSize thumbnail, int folder_px, int bw, int bh) {
    if (thumbnail.width() < folder_px && thumbnail.height() < folder_px) return true;
    return cell_size(thumbnail, bw, bh, true) == cell_size(thumbnail, bw, bh, false);
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
            throw Error(err::kInvalidPicture, "The file " + display_text(path) +
                                                  " is not a picture that can be shown: it failed to decode before");
        }
    }
    // A camera's own small copy is enough for a cell and ten times faster
    // than decoding the picture.
    const QImage exif = exif_thumbnail_covering(path, bw, bh);
    if (!exif.isNull()) return picture_from_image(exif.scaled(bw, bh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    if (!key || cached) return cell_from(load_picture_fitting(path, 2 * bw, 2 * bh).data()->image, bw, bh);
    // Decoded large enough for the cache's thumbnail too, which is then kept
    // for the next visit and for other programs; a JPEG decodes at the same
    // eighth-scale either way.
    Picture fitted;
    try {
        fitted = load_picture_fitting(path, std::max(2 * bw, kNormalThumbnailPx), std::max(2 * bh, kNormalThumbnailPx));
    } catch (const Error& e) {
        if (e.number() == err::kInvalidPicture) record_failure(cache, *key);
        throw;
    }
    const QImage& image = fitted.data()->image;
    const QImage thumbnail = thumbnail_of(image);
    write_thumbnail(cache, *key, thumbnail);
    // From the thumbnail when it serves, so that this visit and the next show
    // the same cell.
    const bool whole = thumbnail.size() == image.size();
    return cell_from(whole || serves_cell(thumbnail.size(), kNormalThumbnailPx, bw, bh) ? thumbnail : image, bw, bh);
}

}  // namespace platform
