// The rename dialog opened by a double-click in the file list.
#include <QCoreApplication>

#include "actions_fixture.h"
#include "app/state/windows.h"
#include "rename/frm_new_name.h"
#include "support/pictures.h"

using namespace test_support;

namespace actions_test {
namespace {

class RenameTest : public ActionsTest {
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
        dialog().txtNewName.set_text(name);
        dialog().cmdOK.press();
    }
};

TEST_F(RenameTest, RefusedNamesChangeNothingAndTheNextOkMovesIntoASubfolder) {
    frmBMPView& b = two_files();
    home.make_folder("pictures/sub");
    const std::string sunset = read_file_bytes(at("Sunset.jpg")), other = read_file_bytes(at("Other.bmp"));
    double_click(b, "Sunset.jpg");
    for (const std::string typed : {"Other.bmp", "*.jpg", "nosuch/new.jpg"}) {
        SCOPED_TRACE(typed);
        recorded.boxes.clear();
        ok_with(typed);
        EXPECT_EQ(recorded.boxes.size(), 1u);
        EXPECT_TRUE(dialog_open());
        EXPECT_EQ(entries_of(pictures), (Names{"Other.bmp", "Sunset.jpg", "sub"}));
        EXPECT_EQ(read_file_bytes(at("Sunset.jpg")), sunset);
        EXPECT_EQ(read_file_bytes(at("Other.bmp")), other);
    }
    ok_with("sub/new.jpg");
    EXPECT_EQ(read_file_bytes(at("sub/new.jpg")), sunset);
    EXPECT_FALSE(path_exists(at("Sunset.jpg")));
    EXPECT_FALSE(dialog_open());
}

TEST_F(RenameTest, TheFolderOfTheDoubleClickIsUsedAfterTheBrowserMoves) {
    frmBMPView& b = two_files();
    const std::string elsewhere = home.make_folder("elsewhere");
    home.write_file("elsewhere/Sunset.jpg", "another file of that name");
    double_click(b, "Sunset.jpg");
    b.Dir1.set_path(elsewhere);
    ok_with("Beach.jpg");
    EXPECT_EQ(entries_of(pictures), (Names{"Beach.jpg", "Other.bmp"}));
    EXPECT_EQ(entries_of(elsewhere), Names{"Sunset.jpg"});
    EXPECT_EQ(windows::main_browser().Dir1.path(), pictures);
}

}  // namespace
}  // namespace actions_test
