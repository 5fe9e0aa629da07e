// Where a real run keeps its files on Linux: the XDG base folders.
#include <cstdlib>

#include "platform/core/leaving.h"
#include "platform/core/services.h"

namespace platform {
namespace {

std::string env_or(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

// An XDG base folder: only an absolute path counts; a relative one (which
// could even read as an option to a desktop tool) is ignored.
std::string xdg_folder(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && v[0] == '/') ? std::string(v) : fallback;
}

std::string home_folder() { return env_or("HOME", "/"); }

}  // namespace

Services environment_services() {
    Services s;
    const std::string config = xdg_folder("XDG_CONFIG_HOME", home_folder() + "/.config");
    const std::string data = xdg_folder("XDG_DATA_HOME", home_folder() + "/.local/share");
    const std::string cache = xdg_folder("XDG_CACHE_HOME", home_folder() + "/.cache");
    s.settings_store_path = config + "/glimmerbox/registry.reg";
    s.preview_bmp_path = data + "/glimmerbox/preview.bmp";
    s.mount_table_path = "/proc/self/mounts";
    s.thumbnail_cache_folder = cache + "/thumbnails";
    // Nothing is saved and no unload step runs: leave at once, taking our
    // temporary files and running tools with us.
    s.end_program = [] { leave_now(0); };
    return s;
}

}  // namespace platform
