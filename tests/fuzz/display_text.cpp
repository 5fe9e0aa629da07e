// Fuzzes the text made from a file name for people against the toolkit's own
// strings, which the file lists show: the same bytes must come out, whole and
// shortened, so that a name reads the same in a message as in a list.
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
