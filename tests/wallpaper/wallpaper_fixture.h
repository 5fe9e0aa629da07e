#pragma once
// Test services for the wallpaper area: recorded message boxes, a settings
// store and preview bitmap in a private temporary folder, and a command
// runner that records every argument vector and can play a few tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace wallpaper_test {

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

// Sets or clears an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

class WallpaperTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The settings store file's path and content.
    const std::string& store_path() const { return store_path_; }
    std::string store() const { return read_file(store_path_); }
    // Makes the store unwritable: its folder would have to be made under a
    // regular file, which fails even for root.
    void make_store_unwritable();

    std::vector<platform::MessageBoxRequest> boxes;
    std::vector<std::vector<std::string>> commands;
    // Answers of the recording runner by program name; by default a program
    // runs and exits 0 with no output. "gsettings" plays a settings daemon.
    std::map<std::string, std::function<platform::CommandResult(const std::vector<std::string>&)>>
        programs;
    std::vector<std::pair<std::string, platform::WallpaperStyle>> wallpapers;
    std::filesystem::path dir;
    platform::Services services;

private:
    std::string store_path_;
    std::map<std::string, std::string> gsettings_;
};

}  // namespace wallpaper_test
