#pragma once
// The pictures next to the one on view, decoded ahead on a thread of their
// own so that stepping through a folder shows the next picture at once. At
// most a few are kept, within a byte budget; a picture is handed out only
// while its file is still the one that was decoded (path, device, inode,
// size and times), so an edited or replaced file is never shown stale.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/pictures/picture.h"

namespace platform {

class NeighbourPictures {
public:
    // Decodes a file ahead; the contract of load_picture_within.
    using Loader = std::function<Picture(const std::string& path, std::uint64_t max_decode_bytes, FileStamp& opened,
                                         StopFlag stop)>;
    static constexpr std::uint64_t kDefaultBudgetBytes = std::uint64_t(256) << 20;

    explicit NeighbourPictures(std::uint64_t budget_bytes = kDefaultBudgetBytes, Loader loader = {});
    // Drops everything; a decode running ends on its own and is thrown away.
    ~NeighbourPictures();
    NeighbourPictures(const NeighbourPictures&) = delete;
    NeighbourPictures& operator=(const NeighbourPictures&) = delete;

    // The picture at the path exactly as load_picture gives it now, with its
    // errors: the one decoded ahead when the file is unchanged (waiting for
    // it when it is being decoded), else decoded here. What it held for the
    // path is dropped either way. The picture handed out last is remembered
    // (it is the one on view, so this costs no memory): taking it again while
    // its file is unchanged decodes nothing, and it is not decoded ahead.
    Picture take(const std::string& path);
    // Decodes these files ahead, in this order, and drops every picture held
    // for another path; a decode running for another path is stopped. A file that fails, or whose decode would not fit in
    // the budget left, is not kept and not tried again while it stays wanted.
    void decode_ahead(std::vector<std::string> paths);
    // Drops everything held or wanted, and stops the decode running.
    void clear();

    // For tests: paths held decoded, their bytes, and waiting until no decode
    // is queued or running.
    std::vector<std::string> held_paths() const;
    std::uint64_t held_bytes() const;
    void wait_idle() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace platform
