// Pictures decoded ahead: never stale, never decoded twice, errors as on demand, and the byte budget.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <future>
#include <thread>

#include "platform/core/error.h"
#include "platform/pictures/neighbour_pictures.h"
#include "platform/pictures/picture_data.h"
#include "support/checks.h"
#include "support/pictures.h"
#include "support/temp_dir.h"

using platform::NeighbourPictures;
using platform::Picture;
namespace ts = test_support;

namespace {

class Neighbours : public ::testing::Test {
protected:
    ts::TempDir dir_;
};

QRgb first_pixel(const Picture& p) { return p.data()->image.pixel(0, 0); }

TEST_F(Neighbours, AFileChangedAfterItsDecodeIsDecodedAgainAndAnUnchangedOneHandedOutOnce) {
    const std::string red = ts::encode_with_qt(ts::solid_image(8, 8, Qt::red), "BMP");
    const std::string blue = ts::encode_with_qt(ts::solid_image(8, 8, Qt::blue), "BMP");
    ASSERT_EQ(red.size(), blue.size());
    const std::string path = dir_.file("p.bmp");
    const std::tuple<const char*, std::function<void()>, QColor> cases[] = {
        {"unchanged", [] {}, Qt::red},
        {"replaced under the same name",
         [&] { std::rename(dir_.write_file("new.bmp", blue).c_str(), path.c_str()); }, Qt::blue},
        // Same length and the modification time put back: only the change time tells.
        {"written in place", [&] {
             struct stat before {};
             ::stat(path.c_str(), &before);
             std::this_thread::sleep_for(std::chrono::milliseconds(30));
             dir_.write_file("p.bmp", blue);
             const struct timespec times[2] = {before.st_atim, before.st_mtim};
             ::utimensat(AT_FDCWD, path.c_str(), times, 0);
         }, Qt::blue},
    };
    for (const auto& [what, change, shown] : cases) {
        SCOPED_TRACE(what);
        dir_.write_file("p.bmp", red);
        NeighbourPictures ahead;
        ahead.decode_ahead({path});
        ahead.wait_idle();
        ASSERT_EQ(ahead.held_paths(), std::vector<std::string>{path});
        change();
        EXPECT_EQ(first_pixel(ahead.take(path)), shown.rgb());
        EXPECT_TRUE(ahead.held_paths().empty());
    }
}

// load_picture_within, counting its calls, after the gate when given one; `stop` gets each call's stop flag.
NeighbourPictures::Loader counted(std::atomic<int>& loads, std::shared_future<void> gate = {},
                                  platform::StopFlag* stop = nullptr) {
    return [&loads, gate, stop](const std::string& p, std::uint64_t max, platform::FileStamp& opened,
                                platform::StopFlag flag) {
        if (stop) *stop = flag;
        ++loads;
        if (gate.valid()) gate.wait();
        return platform::load_picture_within(p, max, opened, flag);
    };
}

// Pictures decoded ahead, each decode counted and held at the gate until it is opened.
struct Gated {
    std::promise<void> gate;
    std::atomic<int> loads{0};
    platform::StopFlag stop;
    NeighbourPictures ahead{NeighbourPictures::kDefaultBudgetBytes, counted(loads, gate.get_future().share(), &stop)};
    void decode_ahead(const std::vector<std::string>& paths) {
        ahead.decode_ahead(paths);
        while (loads.load() == 0) std::this_thread::yield();
    }
};

TEST_F(Neighbours, ThePictureBeingDecodedIsWaitedForAndErrorsComeAsOnDemand) {
    const std::string path = dir_.write_file("a.bmp", ts::bmp_bytes(6, 4));
    Gated first;
    first.decode_ahead({path});
    auto taken = std::async(std::launch::async, [&] { return first.ahead.take(path); });
    // Let the taker reach the wait before the decode may end.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    first.gate.set_value();
    EXPECT_EQ(taken.get().width_px(), 6);
    EXPECT_EQ(first.loads.load(), 1);
    // Queued behind a busy decoding thread: the taker decodes it, nothing again afterwards.
    Gated busy;
    busy.decode_ahead({path});
    const std::string other = dir_.write_file("b.bmp", ts::bmp_bytes(7, 4));
    std::atomic<int> other_loads{0};
    NeighbourPictures queued(NeighbourPictures::kDefaultBudgetBytes, counted(other_loads));
    queued.decode_ahead({other});
    auto taken_other = std::async(std::launch::async, [&] { return queued.take(other).width_px(); });
    EXPECT_EQ(taken_other.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "waited for another decode";
    busy.gate.set_value();
    EXPECT_EQ(taken_other.get(), 7);
    busy.ahead.wait_idle();
    queued.wait_idle();
    EXPECT_EQ(other_loads.load(), 1);

    // A decode running for a path no longer wanted is stopped, one still wanted is not.
    Gated moving;
    moving.decode_ahead({path});
    moving.ahead.decode_ahead({other, path});
    EXPECT_FALSE(moving.stop->load());
    moving.ahead.decode_ahead({other});
    EXPECT_TRUE(moving.stop->load());
    moving.gate.set_value();
    moving.ahead.wait_idle();
    EXPECT_EQ(moving.ahead.held_paths(), std::vector<std::string>{other});

    // A file that does not decode keeps nothing; taking it throws what load_picture throws.
    const std::string bad = dir_.write_file("bad.jpg", "\xff\xd8\xff\xe0 not really");
    NeighbourPictures plain;
    plain.decode_ahead({bad});
    plain.wait_idle();
    EXPECT_TRUE(plain.held_paths().empty());
    EXPECT_EQ(ts::error_of([&] { plain.take(bad); }), platform::err::kInvalidPicture);
}

TEST_F(Neighbours, PicturesBeyondTheBudgetAreDecodedOnDemandNotKept) {
    const std::string next = dir_.write_file("next.bmp", ts::bmp_bytes(100, 100));
    const std::string prev = dir_.write_file("prev.bmp", ts::bmp_bytes(100, 100));
    // A decode reserves 8 bytes a pixel and keeps 4: room for the next one only.
    NeighbourPictures ahead(100'000);
    ahead.decode_ahead({next, prev});
    ahead.wait_idle();
    EXPECT_EQ(ahead.held_paths(), std::vector<std::string>{next});
    EXPECT_EQ(ahead.take(prev).width_px(), 100);

    NeighbourPictures tiny(1000);
    tiny.decode_ahead({next});
    tiny.wait_idle();
    EXPECT_EQ(tiny.held_bytes(), 0u);
    EXPECT_EQ(tiny.take(next).width_px(), 100);
}

}  // namespace
