#pragma once
// A test's view of the running program: recording services installed in
// place of the real ones, a temporary home with a picture folder as the
// process's current folder, and the windows torn down afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/services.h"
#include "support/temp_dir.h"

class MDIForm1;
class frmBMPView;

namespace test_support {

struct Recorded {
    std::vector<platform::MessageBoxRequest> boxes;
    std::vector<std::pair<std::string, platform::WallpaperStyle>> wallpapers;
    std::vector<std::vector<std::string>> commands;
    int end_program_calls = 0;
};

class AppTest : public ::testing::Test {
protected:
    AppTest();
    ~AppTest() override;

    // Starts the program as its executable does: the frame and the first
    // browser, with `folder` as the process's current folder.
    void start_program(const std::string& folder);
    frmBMPView& start_browser();
    MDIForm1& frame();

    // The mount table the drive lists read: "/" plus the given mount points.
    void set_mounts(const std::vector<std::string>& extra_mount_points);

    // The file list entries of a browser.
    static std::vector<std::string> listed(const frmBMPView& browser);
    // Selects a file by name as a click of the user would.
    static void select_file(frmBMPView& browser, const std::string& name);

    TempDir home;
    std::string pictures;  // a folder inside home, empty at first
    Recorded recorded;
    platform::Services services;

private:
    std::string old_cwd_;
};

}  // namespace test_support
