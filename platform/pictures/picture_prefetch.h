#pragma once
// Decodes the cell pictures of a list of files ahead of the loop that puts
// them into their cells, on a small pool of threads. The loop keeps its own
// order and pace: it takes one picture at a time, waiting only for that one,
// and the pool never holds more than a few finished pictures it has not
// taken, so memory stays bounded however long the list is.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/pictures/picture.h"

namespace platform {

struct PrefetchJob {
    int index = 0;       // the caller's key for the picture
    std::string path;
};

class PicturePrefetch {
public:
    // Decodes one file into a picture for a box of device pixels.
    using Decoder = std::function<Picture(const std::string& path, int box_width_px, int box_height_px)>;
    // Pictures are reduced copies for a box of the given device pixels,
    // decoded by load_cell_picture unless a test gives its own decoder.
    PicturePrefetch(int box_width_px, int box_height_px, Decoder decode = {});
    // Drops queued work; decodes already running finish on their own and
    // their results are thrown away. Never waits.
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch&) = delete;
    PicturePrefetch& operator=(const PicturePrefetch&) = delete;

    // Queues jobs, decoded in the order given.
    void enqueue(std::vector<PrefetchJob> jobs);
    // The picture of a job: waits for it when it is being decoded, decodes it
    // on the calling thread when it was not queued (or is still queued).
    // Throws what the decoding threw, on the calling thread.
    Picture take(int index, const std::string& path);
    // Drops every queued job and every finished picture not taken yet.
    void cancel();

    // Pictures decoded and not yet taken, plus decodes running (tests).
    int held() const;
    // How many finished pictures may wait to be taken.
    static constexpr int kReadAhead = 8;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Pictures decoded by PicturePrefetch in this process, on any thread (tests
// and benchmarks count decodes with it).
long long prefetch_decode_count();

}  // namespace platform
