// Start-up with a start folder deleted, unreadable or gone while running, and its set-up of decoding.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include <QImageReader>
#include <QWidget>

#include "app/frame/startup.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/files/start_folder.h"
#include "platform/pictures/picture.h"
#include "rename/frm_new_name.h"
#include "support/app_env.h"
#include "support/checks.h"
#include "support/pictures.h"
#include "thumbnails/frm_thumbnails.h"

using namespace test_support;

namespace {

class StartupTest : public AppTest {
protected:
    // Starts the program as its executable does, in a folder deleted just before.
    void start_in_deleted_folder(const std::string& name) {
        const std::string gone = home.make_folder(name);
        ASSERT_EQ(::chdir(gone.c_str()), 0);
        ASSERT_EQ(::rmdir(gone.c_str()), 0);
        install();
        platform::settle_start_folder();
        start_glimmerbox();
    }

    std::unique_ptr<ScopedEnv> env = std::make_unique<ScopedEnv>("HOME", home.path().c_str());
};

TEST_F(StartupTest, ADeletedStartFolderFallsBackToHomeThenToTheRoot) {
    home.write_file("at-home.jpg", jpeg_bytes(8, 8));
    start_in_deleted_folder("gone");
    EXPECT_EQ(start_browser().Dir1.path(), home.path());
    EXPECT_EQ(listed(start_browser()), Names{"at-home.jpg"});

    windows::reset_all();
    env.reset();  // the old value back first
    env = std::make_unique<ScopedEnv>("HOME", home.file("no-such-home").c_str());
    start_in_deleted_folder("gone-again");
    EXPECT_EQ(start_browser().Dir1.path(), "/");
}

// Root reads every folder, so the start folder is made unreadable for a child running unprivileged.
TEST_F(StartupTest, AnUnreadableStartFolderFallsBackToHome) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    ASSERT_EQ(::chmod(home.path().c_str(), 0755), 0);
    const std::string locked = home.make_folder("locked");
    ASSERT_EQ(::chmod(locked.c_str(), 0700), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // 65534: nobody. The exit code says what was chosen.
        if (::chdir(locked.c_str()) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        ::_exit(platform::settle_start_folder() == home.path() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit " << WEXITSTATUS(status);
}

// Nothing done after start-up may need the process's current folder.
TEST_F(StartupTest, AStartFolderDeletedWhileRunningBreaksNeitherRenameNorThumbnailView) {
    const std::string start = home.make_folder("start");
    home.write_file("pictures/Sunset.jpg", jpeg_bytes(16, 8));
    start_program(start);
    frmBMPView& b = start_browser();
    b.Dir1.set_path(pictures);
    ASSERT_EQ(::rmdir(start.c_str()), 0);

    double_click(b, "Sunset.jpg");
    frmNewName& dialog = windows::new_name()();
    dialog.txtNewName.set_text("Beach.jpg");
    dialog.cmdOK.press();
    EXPECT_TRUE(recorded.boxes.empty());
    EXPECT_EQ(entries_of(pictures), Names{"Beach.jpg"});
    EXPECT_TRUE(windows::main_browser_loaded());

    choose(b, 4);  // "Thumbnail View"
    EXPECT_TRUE(windows::thumbnails().loaded() && windows::thumbnails()().form().is_shown());
    EXPECT_TRUE(recorded.boxes.empty());
}

// Closing the first browser or the frame, as the user does, ends the program.
TEST_F(StartupTest, ClosingTheFirstBrowserOrTheFrameEndsTheProgram) {
    start_program(pictures);
    start_browser().form().window()->close();
    EXPECT_EQ(recorded.ends, 1);
    frame().form().window()->close();
    EXPECT_EQ(recorded.ends, 2);
}

// Decoding is set up for the whole process at start: a picture over the toolkit's own memory limit opens.
TEST_F(StartupTest, APictureOverTheToolkitsDefaultLimitOpensAfterStartUp) {
    QImageReader::setAllocationLimit(128);  // as before start-up
    prepare_glimmerbox();
    // 6000 x 6000 needs 144 MB decoded.
    const std::string large = home.write_file("large.png", encode_with_qt(solid_image(6000, 6000, Qt::gray), "PNG", 0));
    EXPECT_EQ(error_of([&] { platform::load_picture(large); }), 0);
}

}  // namespace
