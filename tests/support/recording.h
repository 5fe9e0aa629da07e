#pragma once
// The platform seams recorded, their files in a temporary home, the former services put back after.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/services.h"
#include "support/temp_dir.h"

namespace test_support {

using Argv = std::vector<std::string>;

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

struct Recorded {
    std::vector<platform::MessageBoxRequest> boxes;
    std::vector<std::pair<std::string, platform::WallpaperStyle>> wallpapers;
    std::vector<Argv> commands;
    int ends = 0;  // times the program was told to end
};

class RecordingTest : public ::testing::Test {
protected:
    RecordingTest() {
        services.settings_store_path = store_path = home.file(".config/glimmerbox/registry.reg");
        services.preview_bmp_path = home.file(".local/share/glimmerbox/preview.bmp");
        services.mount_table_path = home.write_file("mounts", kRootOnly);
        services.message_box = [this](const platform::MessageBoxRequest& r) {
            recorded.boxes.push_back(r);
            return platform::kAnswerOk;
        };
        services.desktop_wallpaper = [this](const std::string& path, platform::WallpaperStyle style) {
            recorded.wallpapers.emplace_back(path, style);
            return true;
        };
        // Plays gsettings, xfconf-query and `programs`; "env VAR=value prog" is answered as prog.
        services.run_command = [this](const Argv& run, int) {
            recorded.commands.push_back(run);
            Argv argv = run;
            if (argv.at(0) == "env")
                while (argv.at(0) == "env" || argv.at(0).find('=') != std::string::npos) argv.erase(argv.begin());
            if (const auto it = programs.find(argv.at(0)); it != programs.end()) return it->second(argv);
            platform::CommandResult r{true, false, 0, ""};
            if (argv[0] == "gsettings" && argv[1] == "set") gsettings[argv[2] + argv[3]] = argv.at(4);
            if (argv[0] == "gsettings" && argv[1] == "get") r.output = gsettings[argv[2] + argv[3]] + "\n";
            if (argv[0] == "xfconf-query") {
                // By its options, in whatever order they come.
                const auto after = [&](const char* flag) {
                    const auto it = std::find(argv.begin(), argv.end(), flag);
                    return it + 1 < argv.end() ? std::optional(*(it + 1)) : std::nullopt;
                };
                const auto property = after("-p"), value = after("-s");
                if (std::find(argv.begin(), argv.end(), "-l") != argv.end())
                    for (const auto& [listed, v] : xfconf) r.output += listed + "\n";
                else if (property && value) xfconf[*property] = *value;
                else if (property) r.output = xfconf[*property] + "\n";
            }
            return r;
        };
        services.end_program = [this] { ++recorded.ends; };
    }
    // Also when a derived fixture's TearDown does not call this one.
    ~RecordingTest() override { restore(); }
    void SetUp() override {
        saved_ = platform::services();
        install();
    }
    void TearDown() override { restore(); }

    void install() { platform::install_services(services); }
    // The mount table the drive lists read: "/" plus the given mount points.
    void set_mounts(const std::vector<std::string>& extra_mount_points) {
        std::string table = kRootOnly;
        for (const auto& m : extra_mount_points) table += "/dev/sdz1 " + m + " vfat rw 0 0\n";
        home.write_file("mounts", table);
        install();
    }

    TempDir home;
    std::string store_path;
    Recorded recorded;
    std::map<std::string, std::function<platform::CommandResult(const Argv&)>> programs;
    std::map<std::string, std::string> gsettings;
    std::map<std::string, std::string> xfconf;  // property -> value
    platform::Services services;

private:
    static constexpr const char* kRootOnly = "proc /proc proc rw 0 0\n/dev/vda / ext4 rw,relatime 0 0\n";
    void restore() {
        if (saved_) platform::install_services(*saved_);
        saved_.reset();
    }
    std::optional<platform::Services> saved_;
};

}  // namespace test_support
