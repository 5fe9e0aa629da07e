#include "platform/pictures/cell_picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <algorithm>

#include "platform/pictures/exif_thumbnail.h"
#include "platform/pictures/picture_data.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"

namespace platform {
namespace {

double device_pixel_ratio() {
    QScreen* s = QGuiApplication::primaryScreen();
    const double r = s ? s->devicePixelRatio() : 1.0;
    return r > 0 ? r : 1.0;
}

}  // namespace

int twips_to_device_px_x(double twips) { return std::max(1, twips_to_px_x(twips * device_pixel_ratio())); }
int twips_to_device_px_y(double twips) { return std::max(1, twips_to_px_y(twips * device_pixel_ratio())); }

Picture load_cell_picture(const std::string& path, int box_width_px, int box_height_px) {
    const int bw = std::max(1, box_width_px);
    const int bh = std::max(1, box_height_px);
    // A camera's own small copy is enough for a cell and ten times faster
    // than decoding the picture.
    const QImage exif = exif_thumbnail_covering(path, bw, bh);
    if (!exif.isNull()) return picture_from_image(exif.scaled(bw, bh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    // Fitting into twice the box keeps both sides at least the box's for
    // pictures up to twice as wide as high (or the other way round), so the
    // final squeeze into the box only ever shrinks.
    Picture fitted = load_picture_fitting(path, 2 * bw, 2 * bh);
    const QImage& image = fitted.data()->image;
    const QSize target(std::min(image.width(), bw), std::min(image.height(), bh));
    if (target == image.size()) return fitted;
    return picture_from_image(image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace platform
