#pragma once
// The running program on the recording services, its current folder inside the temporary home.
#include <optional>
#include <string>
#include <vector>

#include "app/frame/mdi_form.h"
#include "browser/frm_bmp_view.h"
#include "support/recording.h"

namespace test_support {

using Names = std::vector<std::string>;

class AppTest : public RecordingTest {
protected:
    AppTest();
    void TearDown() override;

    // Starts the frame and the first browser as the executable does, in `folder`.
    void start_program(const std::string& folder);
    frmBMPView& start_browser();
    MDIForm1& frame();

    // The file list entries of a browser.
    static Names listed(const frmBMPView& browser);
    // Selects a file by name as a click of the user would.
    static void select_file(frmBMPView& browser, const std::string& name);
    static void double_click(frmBMPView& browser, const std::string& name);
    // Chooses an entry of the action selector.
    static void choose(frmBMPView& browser, int entry);
    static std::optional<std::string> style_value(const std::string& name);
    // The paths handed to the desktop, once every queued wallpaper is through.
    Names wallpaper_paths() const;
    std::string at(const std::string& name) const { return pictures + "/" + name; }
    // Pixels beyond the screen, in each direction.
    static int beyond_w(int px);
    static int beyond_h(int px);

    std::string pictures;  // a folder inside home, empty at first

private:
    std::string old_cwd_;
};

}  // namespace test_support
