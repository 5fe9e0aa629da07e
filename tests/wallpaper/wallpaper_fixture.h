#pragma once
// The recording services seen from the wallpaper and desktop code: the store
// and its folder, and names a shell or an option parser would act on.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/recording.h"

namespace wallpaper_test {

using test_support::Argv;
using test_support::read_file_bytes;
using test_support::ScopedEnv;

// Names a shell, a command parser or an option parser would act on, in a
// folder whose own name holds commands.
inline const char* const kHostileFolder = "in $(touch X) `touch X`";
inline const std::vector<std::string> kHostileNames = {
    "$(touch X).bmp", "`touch X`.bmp", "a;touch X;.bmp", "it's.bmp",    "say \"hi\".bmp",
    "back\\slash.bmp", "star*.bmp",   "~tilde.bmp",      "new\nline.bmp", "-dash.bmp"};

inline void write_file(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class WallpaperTest : public test_support::RecordingTest {
protected:
    WallpaperTest() {
        services.settings_store_path = store_path = (dir / "config/glimmerbox/registry.reg").string();
        services.preview_bmp_path = (dir / "data/glimmerbox/preview.bmp").string();
    }
    std::string store() const { return read_file_bytes(store_path); }
    // Makes the store unwritable: its folder would have to be made under a
    // regular file, which fails even for root.
    void make_store_unwritable() {
        write_file((dir / "blocker").string(), "a regular file");
        services.settings_store_path = store_path = (dir / "blocker/glimmerbox/registry.reg").string();
        install();
    }

    const std::filesystem::path dir{home.path()};
    std::vector<Argv>& commands = recorded.commands;
};

}  // namespace wallpaper_test
