// Hostile picture files (scripts/make-hostile-pictures): every one either
// loads or is refused with a platform::Error, at its own size and reduced, on
// one thread and on two at once, without a crash and without the memory of
// the process running away.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <atomic>
#include <exception>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/error.h"
#include "platform/picture.h"
#include "support/temp_dir.h"

namespace {

// A bound against being killed for memory, far above what showing any of
// these files needs; not a measure of speed or economy.
constexpr long kPeakRssLimitKb = 1536L * 1024;

// What loading a file gave: its size, or the error number; any other
// exception is a fault of its own.
struct Outcome {
    bool loaded = false;
    int width = 0;
    int height = 0;
    int error = 0;
    std::string unexpected;
};

template <class Load>
Outcome outcome_of(Load&& load) {
    Outcome o;
    try {
        const platform::Picture p = load();
        o.loaded = !p.empty();
        o.width = p.width_px();
        o.height = p.height_px();
    } catch (const platform::Error& e) {
        o.error = e.number();
    } catch (const std::exception& e) {
        o.unexpected = e.what();
    } catch (...) {
        o.unexpected = "an exception that is not a std::exception";
    }
    return o;
}

Outcome load_full(const std::string& path) {
    return outcome_of([&] { return platform::load_picture(path); });
}

Outcome load_fitting(const std::string& path) {
    return outcome_of([&] { return platform::load_picture_fitting(path, 160, 120); });
}

long peak_rss_kb() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class HostilePictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::configure_picture_decoding();
        folder_ = new test_support::TempDir;
        const QString python = QStandardPaths::findExecutable("python3");
        ASSERT_FALSE(python.isEmpty()) << "python3 is needed (scripts/setup installs it)";
        QProcess script;
        script.start(python, {QString(GLIMMERBOX_SOURCE_DIR "/scripts/make-hostile-pictures"),
                              QString::fromStdString(folder_->path())});
        ASSERT_TRUE(script.waitForFinished(60000));
        ASSERT_EQ(script.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
        for (const auto& name : test_support::entries_of(folder_->path())) names_.push_back(name);
    }

    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }

    static std::string path(const std::string& name) { return folder_->file(name); }

    static test_support::TempDir* folder_;
    static std::vector<std::string> names_;
};

test_support::TempDir* HostilePictures::folder_ = nullptr;
std::vector<std::string> HostilePictures::names_;

TEST_F(HostilePictures, EveryFileLoadsOrIsRefusedWithAnError) {
    ASSERT_GE(names_.size(), 20u);
    std::map<std::string, Outcome> full, fitting;
    for (const auto& name : names_) {
        SCOPED_TRACE(name);
        full[name] = load_full(path(name));
        fitting[name] = load_fitting(path(name));
        for (const Outcome* o : {&full[name], &fitting[name]}) {
            EXPECT_EQ(o->unexpected, "");
            // A picture, or an error with a number: never neither.
            EXPECT_NE(o->loaded, o->error != 0);
            if (o->loaded) {
                EXPECT_GT(o->width, 0);
                EXPECT_GT(o->height, 0);
            }
        }
        // The reduced copy fails exactly when the full picture does.
        EXPECT_EQ(full[name].loaded, fitting[name].loaded);
        std::cout << name << ": "
                  << (full[name].loaded ? std::to_string(full[name].width) + " x " + std::to_string(full[name].height)
                                        : "error " + std::to_string(full[name].error))
                  << "\n";
    }

    // The sound pictures among them show at their own size, whatever their
    // names say; reduced copies never enlarge.
    EXPECT_TRUE(full["ok-ramp.jpg"].loaded && full["ok-ramp.jpg"].width == 64 && full["ok-ramp.jpg"].height == 48);
    EXPECT_TRUE(fitting["ok-ramp.jpg"].loaded && fitting["ok-ramp.jpg"].width == 64);
    EXPECT_TRUE(full["png-inside.jpg"].loaded && full["png-inside.jpg"].width == 20 &&
                full["png-inside.jpg"].height == 10);
    EXPECT_TRUE(full["negative-height.bmp"].loaded && full["negative-height.bmp"].width == 5 &&
                full["negative-height.bmp"].height == 4);

    // Nothing to decode, or far too much: refused as not a picture.
    for (const char* name : {"empty.jpg", "empty.gif", "empty.bmp", "empty.ico", "text.jpg",
                             "huge-claim.jpg", "huge-image.gif", "enormous-height.bmp",
                             "most-negative-height.bmp", "zero-width.bmp", "truncated-in-header.jpg",
                             "large-claim-little-data.bmp"}) {
        EXPECT_EQ(full[name].error, platform::err::kInvalidPicture) << name;
        EXPECT_EQ(fitting[name].error, platform::err::kInvalidPicture) << name;
    }
    std::cout << "peak RSS " << peak_rss_kb() / 1024 << " MB\n";
    EXPECT_LT(peak_rss_kb(), kPeakRssLimitKb);
}

TEST_F(HostilePictures, TwoThreadsLoadingAtOnceGetTheSameOutcomes) {
    ASSERT_FALSE(names_.empty());
    std::map<std::string, Outcome> alone;
    for (const auto& name : names_) alone[name] = load_fitting(path(name));

    // Both threads go through every file twice, one front to back, the other
    // back to front, so that different files are decoded at the same time.
    std::vector<std::map<std::string, Outcome>> seen(2);
    std::vector<std::string> faults[2];
    auto walk = [&](int which) {
        for (int round = 0; round < 2; ++round) {
            for (std::size_t i = 0; i < names_.size(); ++i) {
                const std::string& name = names_[which == 0 ? i : names_.size() - 1 - i];
                const Outcome o = (round == 0) ? load_fitting(path(name)) : load_full(path(name));
                if (!o.unexpected.empty()) faults[which].push_back(name + ": " + o.unexpected);
                if (round == 0) seen[which][name] = o;
            }
        }
    };
    std::thread first(walk, 0);
    std::thread second(walk, 1);
    first.join();
    second.join();

    EXPECT_TRUE(faults[0].empty()) << faults[0].front();
    EXPECT_TRUE(faults[1].empty()) << faults[1].front();
    for (const auto& name : names_) {
        for (int which = 0; which < 2; ++which) {
            const Outcome& o = seen[which][name];
            EXPECT_EQ(o.loaded, alone[name].loaded) << name;
            EXPECT_EQ(o.error, alone[name].error) << name;
            EXPECT_EQ(o.width, alone[name].width) << name;
            EXPECT_EQ(o.height, alone[name].height) << name;
        }
    }
    std::cout << "peak RSS " << peak_rss_kb() / 1024 << " MB\n";
    EXPECT_LT(peak_rss_kb(), kPeakRssLimitKb);
}

}  // namespace
