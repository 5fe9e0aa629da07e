#include "bench/thumbnails/photos.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

#include <stdexcept>

namespace bench {
namespace {

QByteArray jpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

void put16(QByteArray& b, int v) {
    b.append(char((v >> 8) & 0xff));
    b.append(char(v & 0xff));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, int(v >> 16));
    put16(b, int(v & 0xffff));
}
void entry(QByteArray& b, int tag, int type, quint32 count, quint32 value) {
    put16(b, tag);
    put16(b, type);
    put32(b, count);
    if (type == 3 && count == 1) {
        put16(b, int(value));
        put16(b, 0);
    } else {
        put32(b, value);
    }
}

// An APP1 segment with an empty IFD0 (orientation 1) and an IFD1 that
// points at a JPEG thumbnail, big-endian as many cameras write it.
QByteArray exif_segment(const QByteArray& thumb) {
    QByteArray tiff;
    tiff.append("MM", 2);
    put16(tiff, 42);
    put32(tiff, 8);
    // IFD0 at 8: one entry (orientation), then the offset of IFD1.
    put16(tiff, 1);
    entry(tiff, 0x0112, 3, 1, 1);
    const quint32 ifd1 = 8 + 2 + 12 + 4;
    put32(tiff, ifd1);
    // IFD1: compression, JPEGInterchangeFormat, JPEGInterchangeFormatLength.
    put16(tiff, 3);
    const quint32 data = ifd1 + 2 + 3 * 12 + 4;
    entry(tiff, 0x0103, 3, 1, 6);
    entry(tiff, 0x0201, 4, 1, data);
    entry(tiff, 0x0202, 4, 1, quint32(thumb.size()));
    put32(tiff, 0);
    tiff.append(thumb);
    QByteArray seg;
    seg.append(char(0xff));
    seg.append(char(0xe1));
    put16(seg, int(tiff.size() + 8));
    seg.append("Exif\0\0", 6);
    seg.append(tiff);
    return seg;
}

}  // namespace

void write_photo(const std::string& path, unsigned seed, bool exif_thumbnail) {
    QRandomGenerator rng(seed);
    QImage image(4000, 3000, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 3000);
    sky.setColorAt(0, QColor::fromHsv(int(rng.bounded(360)), 120, 230));
    sky.setColorAt(1, QColor::fromHsv(int(rng.bounded(360)), 200, 90));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 1500; ++k) {
        p.setBrush(QColor::fromHsv(int(rng.bounded(360)), int(rng.bounded(256)), int(rng.bounded(256)),
                                   int(60 + rng.bounded(160))));
        const int r = int(4 + rng.bounded(160));
        p.drawEllipse(int(rng.bounded(4000)), int(rng.bounded(3000)), r, r * int(1 + rng.bounded(3)));
    }
    p.end();
    // Sensor-like grain so that the file has a camera's weight.
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(rng.bounded(25)) - 12;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
    QByteArray bytes = jpeg(image, 88);
    if (exif_thumbnail) {
        const QByteArray thumb = jpeg(image.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 80);
        bytes.insert(2, exif_segment(thumb));  // right after SOI
    }
    QFile out(QString::fromStdString(path));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace bench
