// Hostile and odd picture files: each loads or is refused with a platform::Error, whole, reduced and as a
// cell, without a crash, a hang or runaway memory.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <map>
#include <string>
#include <vector>

#include "platform/core/error.h"
#include "platform/pictures/cell_picture.h"
#include "platform/pictures/picture.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "words/catalogue.h"

namespace {

// What loading a file gave: "W x H" or "error N"; anything else starts with "fault".
template <class Load>
std::string outcome_of(Load&& load) {
    try {
        const platform::Picture p = load();
        const std::string size = std::to_string(p.width_px()) + " x " + std::to_string(p.height_px());
        return p.width_px() > 0 && p.height_px() > 0 ? size : "fault: " + size;
    } catch (const platform::Error& e) {
        return (e.number() > 0 ? "error " : "fault: error ") + std::to_string(e.number());
    } catch (...) {
        return "fault: unexpected exception";
    }
}

TEST(HostilePictures, EveryFileLoadsOrIsRefusedWholeAndReduced) {
    platform::configure_picture_decoding();
    test_support::TempDir folder;
    QProcess script;
    script.start("python3", {QString(GLIMMERBOX_SOURCE_DIR "/scripts/make-hostile-pictures"),
                             QString::fromStdString(folder.path())});
    ASSERT_TRUE(script.waitForFinished(60000));  // python3 is needed (scripts/setup installs it)
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    // Besides the script's: a cut icon, GIFs claiming far more pixels than they hold (1 GB in 27 KB: the
    // padding defeats a pixels-per-byte test, not the budget), a folder, a link to nothing and a pipe.
    folder.write_file("cut.ico", test_support::ico_bytes({test_support::pattern_image(32, 32)}).substr(0, 30));
    folder.write_file("bomb.gif", test_support::gif_claiming_size(11000, 11000));
    folder.write_file("padded-bomb.gif", test_support::gif_claiming_size(16000, 16000) + std::string(27000, '\0'));
    folder.make_folder("folder.jpg");
    ASSERT_EQ(::symlink("missing", folder.file("dangling.jpg").c_str()), 0);
    ASSERT_EQ(::mkfifo(folder.file("pipe.jpg").c_str(), 0644), 0);
    const std::vector<std::string> names = test_support::entries_of(folder.path());
    ASSERT_GE(names.size(), 20u);

    std::map<std::string, std::vector<std::string>> seen;
    for (const auto& name : names) {
        const std::string path = folder.file(name);
        seen[name] = {outcome_of([&] { return platform::load_picture(path); }),
                      outcome_of([&] { return platform::load_picture_fitting(path, 160, 120); }),
                      outcome_of([&] { return platform::load_cell_picture(path, 160, 120); })};
    }

    // A size or an error number; a reduced copy or a cell fails exactly when the whole picture does.
    for (const auto& [name, outcomes] : seen) {
        for (const std::string& outcome : outcomes) {
            EXPECT_NE(outcome.rfind("fault", 0), 0u) << name << ": " << outcome;
            EXPECT_EQ(outcome.rfind("error", 0), outcomes[0].rfind("error", 0)) << name;
        }
    }
    // The sound files show at their own size whatever their names say; a reduced copy never enlarges.
    for (const auto& [name, size] : std::map<std::string, std::string>{
             {"ok-ramp.jpg", "64 x 48"}, {"png-inside.jpg", "20 x 10"}, {"negative-height.bmp", "5 x 4"}})
        EXPECT_EQ(seen[name], std::vector(3, size)) << name;
    // Nothing to decode, or far too much: refused as not a picture; no file at all as not found.
    const std::string refused = "error " + std::to_string(platform::err::kInvalidPicture);
    for (const char* name : {"empty.jpg", "empty.gif", "empty.bmp", "empty.ico", "text.jpg", "huge-claim.jpg",
                             "huge-image.gif", "enormous-height.bmp", "most-negative-height.bmp", "zero-width.bmp",
                             "truncated-in-header.jpg", "large-claim-little-data.bmp", "cut.ico", "bomb.gif",
                             "padded-bomb.gif", "pipe.jpg"})
        EXPECT_EQ(seen[name], std::vector(3, refused)) << name;
    for (const char* name : {"folder.jpg", "dangling.jpg"})
        EXPECT_EQ(seen[name][0], "error " + std::to_string(platform::err::kFileNotFound)) << name;
    try {
        platform::load_picture(folder.file("truncated-in-header.jpg"));
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.values().back(), words::say(words::kSizeUnreadable));  // cut before the size
    }

    // A bound against being killed for memory, far above what any of these files needs.
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 1536L * 1024) << "peak RSS in kB";
}

}  // namespace
