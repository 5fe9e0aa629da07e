// Fuzzes the EXIF thumbnail reader: nothing, or a thumbnail-sized picture covering the box asked for.
#include <cstdint>
#include <string_view>

#include <QImage>
#include <QtGlobal>

#include "check.h"
#include "platform/pictures/exif_thumbnail.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The JPEG decoder's complaints about broken thumbnails are expected.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > platform::kExifHeadBytes) return 0;  // the reader never sees more
    const std::string_view head(reinterpret_cast<const char*>(data), size);
    for (const int box : {1, 12}) {
        const QImage thumb = platform::exif_thumbnail_in_head(head, box, box);
        if (thumb.isNull()) continue;
        check(thumb.width() >= box && thumb.height() >= box, "a thumbnail smaller than the box");
        check(std::int64_t(thumb.width()) * thumb.height() <= 2048 * 2048, "a thumbnail larger than any thumbnail");
    }
    return 0;
}
