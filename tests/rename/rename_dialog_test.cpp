// The rename dialog opened by a double-click in the file list.
#include <QCoreApplication>

#include <filesystem>

#include "app/state/windows.h"
#include "rename/frm_new_name.h"
#include "thumbnails/frm_thumbnails.h"
#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

class RenameTest : public AppTest {
protected:
    frmBMPView& two_files() {
        home.write_file("pictures/Sunset.jpg", jpeg_bytes(16, 8));
        home.write_file("pictures/Other.bmp", bmp_bytes(8, 8));
        start_program(pictures);
        return start_browser();
    }
    static frmNewName& dialog() { return *windows::new_name().get(); }
    static bool dialog_open() {
        QCoreApplication::processEvents();  // a released window goes once its event is over
        return windows::new_name().loaded();
    }
    static void ok_with(const std::string& name) {
        ASSERT_TRUE(windows::new_name().loaded());
        dialog().txtNewName.set_text(name);
        dialog().cmdOK.press();
    }
};

TEST_F(RenameTest, RefusedNamesSayWhyChangeNothingAndTheNextOkMovesIntoASubfolder) {
    frmBMPView& b = two_files();
    home.make_folder("pictures/sub");
    const std::string sunset = read_file_bytes(at("Sunset.jpg"));
    double_click(b, "Sunset.jpg");
    EXPECT_EQ(dialog().txtNewName.text(), "*.jpg");  // the extension kept, the name to type
    // The whole sentence, so that a value put in the wrong place shows; a
    // long name is shortened in its middle.
    const std::pair<std::string, std::string> refusals[] = {
        {"Other.bmp", "A file named \"Other.bmp\" already exists. Please choose another name."},
        {"*.jpg", "The name \"*.jpg\" cannot be used: it holds the wildcard character '*'."},
        {"nosuch/new.jpg", "The folder named in \"nosuch/new.jpg\" does not exist."},
        {"..", "The name \"..\" cannot be used: it names a folder, not a file."},
        {std::string(300, 'a') + ".jpg", "The name \"" + std::string(28, 'a') + "\u2026" + std::string(24, 'a') +
                                             ".jpg\" cannot be used: it is 304 bytes long, and a name on this drive "
                                             "may hold at most 255."},
        {"Beach.jpg", "The file \"Sunset.jpg\" cannot be renamed: it is now a folder, not a file."},
    };
    for (const auto& [typed, said] : refusals) {
        SCOPED_TRACE(typed);
        recorded.boxes.clear();
        if (typed == "Beach.jpg") {  // meanwhile the file became a folder, which is not renamed
            std::filesystem::remove(at("Sunset.jpg"));
            home.make_folder("pictures/Sunset.jpg");
        }
        ok_with(typed);
        ASSERT_EQ(recorded.boxes.size(), 1u);
        EXPECT_EQ(recorded.boxes[0].text, said);
        EXPECT_TRUE(dialog_open());
        EXPECT_EQ(entries_of(pictures), (Names{"Other.bmp", "Sunset.jpg", "sub"}));
    }
    std::filesystem::remove(at("Sunset.jpg"));  // a file again
    home.write_file("pictures/Sunset.jpg", sunset);
    ok_with("sub/new.jpg");
    EXPECT_EQ(read_file_bytes(at("sub/new.jpg")), sunset);
    EXPECT_FALSE(std::filesystem::exists(at("Sunset.jpg")));
    EXPECT_FALSE(dialog_open());
}

// Thumbnail View saves its own folder and drive in the shared variables while the dialog is open: the
// rename still happens in the double-click's folder, and closing the thumbnails returns to theirs.
TEST_F(RenameTest, TheDoubleClicksFolderIsRenamedInAndThumbnailsOpenedSinceReturnToTheirOwn) {
    const std::string usb = home.make_folder("usb");
    set_mounts({usb});
    frmBMPView& b = two_files();
    home.write_file("usb/Sunset.jpg", jpeg_bytes(8, 8));  // not to be renamed
    double_click(b, "Sunset.jpg");
    b.Drive1.set_drive(usb + " [usb]");
    ASSERT_EQ(b.Dir1.path(), usb);
    choose(b, 4);  // "Thumbnail View"
    ASSERT_TRUE(windows::thumbnails().loaded());
    ok_with("Beach.jpg");
    EXPECT_EQ(entries_of(pictures), (Names{"Beach.jpg", "Other.bmp"}));
    windows::thumbnails()().close_window();
    EXPECT_EQ(windows::main_browser().Drive1.drive(), usb + " [usb]");
    EXPECT_EQ(windows::main_browser().Dir1.path(), usb);
}

}  // namespace
