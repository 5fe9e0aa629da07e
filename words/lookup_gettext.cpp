// Linux: translations through gettext, which is part of the C library. A
// translation is po/LANG.po, compiled and installed as
// LOCALEDIR/LANG/LC_MESSAGES/glimmerbox.mo by the build.
#include <libintl.h>

#include "words/text.h"

namespace words {
namespace {

constexpr const char* kDomain = "glimmerbox";

// Bound once, on the first lookup from any thread; the messages come in
// UTF-8 whatever the locale's own code set.
bool bind_domain() {
    ::bindtextdomain(kDomain, GLIMMERBOX_LOCALE_DIR);
    ::bind_textdomain_codeset(kDomain, "UTF-8");
    return true;
}

}  // namespace

const char* translated(const Text& text) {
    static const bool bound = bind_domain();
    (void)bound;
    return ::dgettext(kDomain, text.english);
}

}  // namespace words
