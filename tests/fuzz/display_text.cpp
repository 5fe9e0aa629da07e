// Fuzzes the display text of a file name against the toolkit's: the same bytes, whole and shortened.
#include <QString>

#include <cstdint>
#include <string>

#include "check.h"
#include "platform/files/files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    check(platform::display_text(name) == text.toStdString(), "display text differs from the toolkit's");
    if (text.size() > 60) text = text.left(28) + QStringLiteral("\u2026") + text.right(28);
    check(platform::shortened_display_text(name) == text.toStdString(), "shortened text differs from the toolkit's");
    return 0;
}
