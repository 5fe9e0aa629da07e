#pragma once
// Test services for the wallpaper area: recorded message boxes and wallpaper
// calls, a settings store in a private temporary folder, and a command runner
// that records every argument vector and plays gsettings (or any program
// given an answer in `programs`).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/services.h"
#include "support/temp_dir.h"

namespace wallpaper_test {

using Argv = std::vector<std::string>;
using test_support::read_file_bytes;

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

// Sets (or, given nullptr, clears) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

class WallpaperTest : public ::testing::Test {
protected:
    WallpaperTest() {
        services.settings_store_path = store_path = (dir / "config/glimmerbox/registry.reg").string();
        services.preview_bmp_path = (dir / "data/glimmerbox/preview.bmp").string();
        services.message_box = [this](const platform::MessageBoxRequest& r) {
            boxes.push_back(r);
            return platform::kAnswerOk;
        };
        services.run_command = [this](const Argv& argv, int) {
            commands.push_back(argv);
            if (const auto it = programs.find(argv.at(0)); it != programs.end()) return it->second(argv);
            platform::CommandResult r{true, false, 0, ""};
            if (argv[0] == "gsettings" && argv[1] == "set") gsettings[argv[2] + argv[3]] = argv.at(4);
            if (argv[0] == "gsettings" && argv[1] == "get") r.output = gsettings[argv[2] + argv[3]] + "\n";
            return r;
        };
        services.desktop_wallpaper = [this](const std::string& path, platform::WallpaperStyle style) {
            wallpapers.emplace_back(path, style);
            return true;
        };
        platform::install_services(services);
    }
    std::string store() const { return read_file_bytes(store_path); }
    // Makes the store unwritable: its folder would have to be made under a
    // regular file, which fails even for root.
    void make_store_unwritable() {
        write_file((dir / "blocker").string(), "a regular file");
        services.settings_store_path = store_path = (dir / "blocker/glimmerbox/registry.reg").string();
        platform::install_services(services);
    }

    test_support::TempDir tmp;
    const std::filesystem::path dir{tmp.path()};
    std::string store_path;
    std::vector<platform::MessageBoxRequest> boxes;
    std::vector<Argv> commands;
    std::map<std::string, std::function<platform::CommandResult(const Argv&)>> programs;
    std::map<std::string, std::string> gsettings;
    std::vector<std::pair<std::string, platform::WallpaperStyle>> wallpapers;
    platform::Services services;
};

}  // namespace wallpaper_test
