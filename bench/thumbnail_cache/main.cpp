// Reading poisoned thumbnail cache entries: valid keys followed by compressed
// text chunks that inflate far beyond the file (0.93 MB holding 120 chunks),
// put before the pixels or after them. Prints the time of one look-up and the
// rise of peak resident memory over it.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/pictures/thumbnail_cache.h"

namespace {

std::string chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    std::uint32_t crc = 0xffffffffu;
    for (const unsigned char c : body) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    const auto be = [](std::uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    return be(std::uint32_t(data.size())) + body + be(~crc);
}

long status_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int chunks = argc > 1 ? std::atoi(argv[1]) : 120;
    const int inflated_mib = argc > 2 ? std::atoi(argv[2]) : 8;
    char folder_template[] = "/tmp/bench-thumbcache-XXXXXX";
    const std::string folder = ::mkdtemp(folder_template);
    const std::string cache = folder + "/thumbnails";
    const std::string picture = folder + "/p.png";
    std::ofstream(picture) << "not read: the entry is valid for it";
    const auto key = platform::thumbnail_key(cache, picture);
    if (!key) return 1;

    QImage image(128, 96, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.setText("Thumb::URI", QString::fromStdString(key->uri));
    image.setText("Thumb::MTime", QString::fromStdString(key->mtime));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QByteArray bomb = qCompress(QByteArray(inflated_mib << 20, '\0'), 9).mid(4);
    std::string poison;
    for (int i = 0; i < chunks; ++i) poison += chunk("zTXt", std::string("Comment\0\0", 9) + bomb.toStdString());

    std::system(("mkdir -p " + cache + "/normal").c_str());
    std::printf("%d chunks of %lld bytes, each inflating to %d MiB\n", chunks, (long long)bomb.size() + 21, inflated_mib);
    for (const char* before : {"IDAT", "IEND"}) {
        std::string entry = png.toStdString();
        entry.insert(entry.find(before) - 4, poison);
        std::ofstream(cache + "/normal/" + key->name, std::ios::binary) << entry;
        std::ofstream("/proc/self/clear_refs") << "5";
        const long base = status_kib("VmRSS:");
        const auto start = std::chrono::steady_clock::now();
        const QImage got = platform::read_thumbnail(cache, *key, [](QSize, int) { return true; });
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("poison before %s (entry %.2f MB): used %s, %.1f ms, peak resident +%ld MB\n", before,
                    entry.size() / 1e6, got.isNull() ? "no" : "yes", ms, (status_kib("VmHWM:") - base) / 1024);
    }
    std::system(("rm -rf " + folder).c_str());
    return 0;
}
