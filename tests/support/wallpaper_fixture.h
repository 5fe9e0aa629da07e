#pragma once
// The recording services for the wallpaper and desktop code, and names a shell would act on.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/desktop/desktop_wallpaper.h"
#include "support/recording.h"

namespace wallpaper_test {

using test_support::Argv;
using test_support::read_file_bytes;
using test_support::ScopedEnv;
using test_support::write_file;

inline bool same_file(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_ino == y.st_ino &&
           x.st_dev == y.st_dev;
}

// In a folder whose own name holds commands.
inline const char* const kHostileFolder = "in $(touch X) `touch X`";
inline const std::vector<std::string> kHostileNames = {
    "$(touch X).bmp", "`touch X`.bmp", "a;touch X;.bmp", "it's.bmp",    "say \"hi\".bmp",
    "back\\slash.bmp", "star*.bmp",   "~tilde.bmp",      "new\nline.bmp", "-dash.bmp"};

class WallpaperTest : public test_support::RecordingTest {
protected:
    std::string store() const { return read_file_bytes(store_path); }
    // Its folder would have to be made under a regular file, which fails even for root.
    void make_store_unwritable() {
        services.settings_store_path = store_path = home.write_file("blocker", "a file") + "/glimmerbox/registry.reg";
        install();
    }
    // Sets the wallpaper as on the given desktop, through the recording runner unless given one.
    bool apply_on(const char* desktop, const std::string& path,
                  platform::WallpaperStyle style = platform::WallpaperStyle::Centered, const char* swaysock = nullptr,
                  const platform::CommandRunner& run = nullptr) {
        ScopedEnv d("XDG_CURRENT_DESKTOP", desktop), s("SWAYSOCK", swaysock), x("DISPLAY", ":99");
        commands.clear();
        return platform::apply_desktop_wallpaper(path, style, run ? run : services.run_command);
    }

    const std::filesystem::path dir{home.path()};
    std::vector<Argv>& commands = recorded.commands;
};

}  // namespace wallpaper_test
