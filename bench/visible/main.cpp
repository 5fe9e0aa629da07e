// Decoding only the visible top-left part of a large JPEG, three ways:
// the whole picture through QImageReader as the program decodes it, Qt's
// clip rectangles, and libjpeg-turbo directly with a cropped, early-ended
// scan. Prints the median wall time of each; "once MODE FILE" decodes once
// for an instruction count under callgrind.
//   bench_visible FILE [runs] [width height]
//   bench_visible once full|clip|scaledclip|turbo FILE [width height]
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

QSize g_visible(1280, 800);

QImage decode_full(const char* path) {
    QImageReader reader(QString::fromLocal8Bit(path));
    reader.setAutoTransform(true);
    return reader.read();
}

QImage decode_clip(const char* path) {
    QImageReader reader(QString::fromLocal8Bit(path));
    reader.setClipRect(QRect(QPoint(0, 0), g_visible));
    return reader.read();
}

QImage decode_scaled_clip(const char* path) {
    QImageReader reader(QString::fromLocal8Bit(path));
    reader.setScaledClipRect(QRect(QPoint(0, 0), g_visible));
    return reader.read();
}

struct ErrorJump {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void on_error(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1); }

// The visible rows straight from libjpeg-turbo: only the needed columns go
// through the inverse transform and colour conversion, and the scan stops
// after the last visible row.
QImage decode_turbo(const char* path) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    jpeg_decompress_struct info{};
    ErrorJump err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = on_error;
    QImage image;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    JDIMENSION x = 0;
    JDIMENSION width = std::min<JDIMENSION>(g_visible.width(), info.output_width);
    jpeg_crop_scanline(&info, &x, &width);  // widens to whole blocks
    const int rows = std::min<int>(g_visible.height(), info.output_height);
    image = QImage(int(width), rows, QImage::Format_RGB32);
    while (int(info.output_scanline) < rows) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

using Decoder = QImage (*)(const char*);

struct Way {
    const char* name;
    const char* what;
    Decoder decode;
};

const Way kWays[] = {
    {"full", "whole picture, QImageReader (as the program does today)", decode_full},
    {"clip", "QImageReader::setClipRect on the visible rectangle", decode_clip},
    {"scaledclip", "QImageReader::setScaledClipRect on the visible rectangle", decode_scaled_clip},
    {"turbo", "libjpeg-turbo, jpeg_crop_scanline + stop after the last visible row", decode_turbo},
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void read_visible(int argc, char** argv, int at) {
    if (argc > at + 1) g_visible = QSize(std::atoi(argv[at]), std::atoi(argv[at + 1]));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc >= 4 && std::strcmp(argv[1], "once") == 0) {
        read_visible(argc, argv, 4);
        for (const Way& way : kWays) {
            if (std::strcmp(way.name, argv[2]) == 0) {
                const QImage image = way.decode(argv[3]);
                std::printf("%s: %dx%d\n", way.name, image.width(), image.height());
                return image.isNull() ? 1 : 0;
            }
        }
        return 2;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_visible FILE [runs] [width height]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    read_visible(argc, argv, 3);
    for (const Way& way : kWays) {
        way.decode(argv[1]);  // warm-up: file in the page cache, plugin loaded
        std::vector<double> ms;
        QSize got;
        for (int i = 0; i < runs; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            const QImage image = way.decode(argv[1]);
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            got = image.size();
        }
        std::printf("%-11s median %7.1f ms  min %7.1f  max %7.1f  -> %dx%d  (%s)\n", way.name, median(ms),
                    *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
                    got.width(), got.height(), way.what);
    }
    return 0;
}
