// Hostile picture files: each loads or is refused with a platform::Error, whole and reduced, without
// a crash or runaway memory.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include <sys/resource.h>

#include <exception>
#include <map>
#include <string>
#include <vector>

#include "platform/core/error.h"
#include "platform/pictures/picture.h"
#include "support/temp_dir.h"

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
    const std::vector<std::string> names = test_support::entries_of(folder.path());
    ASSERT_GE(names.size(), 20u);

    std::map<std::string, std::pair<std::string, std::string>> seen;
    for (const auto& name : names) {
        const std::string path = folder.file(name);
        seen[name] = {outcome_of([&] { return platform::load_picture(path); }),
                      outcome_of([&] { return platform::load_picture_fitting(path, 160, 120); })};
    }

    // A size or an error number; the reduced copy fails exactly when the whole picture does.
    for (const auto& [name, outcomes] : seen) {
        const auto& [full, reduced] = outcomes;
        EXPECT_NE(full.rfind("fault", 0), 0u) << name << ": " << full;
        EXPECT_NE(reduced.rfind("fault", 0), 0u) << name << ": " << reduced;
        EXPECT_EQ(full.rfind("error", 0), reduced.rfind("error", 0)) << name;
    }
    // The sound files show at their own size whatever their names say; a reduced copy never enlarges.
    for (const auto& [name, size] : std::map<std::string, std::string>{
             {"ok-ramp.jpg", "64 x 48"}, {"png-inside.jpg", "20 x 10"}, {"negative-height.bmp", "5 x 4"}})
        EXPECT_EQ(seen[name], std::make_pair(size, size)) << name;
    // Nothing to decode, or far too much: refused as not a picture.
    const std::string refused = "error " + std::to_string(platform::err::kInvalidPicture);
    for (const char* name : {"empty.jpg", "empty.gif", "empty.bmp", "empty.ico", "text.jpg", "huge-claim.jpg",
                             "huge-image.gif", "enormous-height.bmp", "most-negative-height.bmp", "zero-width.bmp",
                             "truncated-in-header.jpg", "large-claim-little-data.bmp"})
        EXPECT_EQ(seen[name], std::make_pair(refused, refused)) << name;

    // A bound against being killed for memory, far above what any of these files needs.
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 1536L * 1024) << "peak RSS in kB";
}

}  // namespace
