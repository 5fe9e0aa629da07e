// The catalogue's sentences: values go in where the entry says, once, and a
// translation installed for the user's language is what the code says.
#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "words/catalogue.h"

namespace {

using test_support::TempDir;

TEST(Words, ValuesGoInOnceWhereThePatternSays) {
    const std::tuple<const char*, std::vector<std::string>, const char*> rows[] = {  // pattern, values, said
        {"%1 cannot be renamed to %2: %3", {"a", "b", "why"}, "a cannot be renamed to b: why"},
        // A translation may put the values in another order.
        {"%2 <- %1", {"a", "b"}, "b <- a"},
        // A value is never read as a pattern, however it looks.
        {"The file %1 cannot be opened: %2", {"%2%1.jpg", "x"}, "The file %2%1.jpg cannot be opened: x"},
        // A placeholder without a value, a lone or doubled %, stay.
        {"%1 of %2, 100%, %%1", {"one"}, "one of %2, 100%, %one"},
        {"it is truncated", {}, "it is truncated"},
    };
    for (const auto& [pattern, values, said] : rows) EXPECT_EQ(words::fill(pattern, values), said) << pattern;
}

// A language needs nothing in the code: its compiled messages in the
// locale folder are found by the one lookup every text goes through.
TEST(Words, AnInstalledTranslationIsWhatTheCodeSays) {
    TempDir dir;
    const std::string mo = dir.file("xx/LC_MESSAGES/glimmerbox.mo");
    const std::string po = dir.write_file("xx.po",
                     "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                     "msgid \"The file %1 cannot be opened: %2\"\nmsgstr \"%2 \xE2\x80\x94 %1\"\n");
    dir.make_folder("xx/LC_MESSAGES");
    ASSERT_EQ(std::system(("msgfmt -o '" + mo + "' '" + po + "'").c_str()), 0);
    EXPECT_EQ(words::say(words::kCannotOpen, {"a.gif", "gone"}), "The file a.gif cannot be opened: gone");
    ::bindtextdomain("glimmerbox", dir.path().c_str());
    ::setenv("LANGUAGE", "xx", 1);
    const std::string before = std::setlocale(LC_MESSAGES, nullptr);
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    const std::string said = words::say(words::kCannotOpen, {"a.gif", "gone"});
    std::setlocale(LC_MESSAGES, before.c_str());
    ::unsetenv("LANGUAGE");
    EXPECT_EQ(said, "gone \xE2\x80\x94 a.gif");
}

}  // namespace
