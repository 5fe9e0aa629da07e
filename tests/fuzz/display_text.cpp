// Fuzzes the display text of a file name against the toolkit's: the same bytes, whole and shortened.
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files/files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (platform::display_text(name) != text.toStdString()) {
        std::fprintf(stderr, "display text: differs from the toolkit's\n");
        std::abort();
    }
    if (text.size() > 60) text = text.left(28) + QStringLiteral("\u2026") + text.right(28);
    if (platform::shortened_display_text(name) != text.toStdString()) {
        std::fprintf(stderr, "display text: shortened text differs from the toolkit's\n");
        std::abort();
    }
    return 0;
}
