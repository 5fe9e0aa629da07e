// Windows: the English texts as they are; no translation is installed there
// yet.
#include "words/text.h"

namespace words {

const char* translated(const Text& text) { return text.english; }

}  // namespace words
