// The linked drive, folder and file lists, and returning to a saved folder.
#include <QComboBox>
#include <QListWidget>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

class NavigationTest : public AppTest {
protected:
    void SetUp() override {
        home.make_folder("pictures/holiday");
        home.make_folder("pictures/other");
        home.write_file("pictures/top.bmp", bmp_bytes(8, 8));
        home.write_file("pictures/holiday/sea.jpg", jpeg_bytes(8, 8));
        home.write_file("pictures/holiday/sand.gif", gif_bytes(8, 8));
        home.write_file("pictures/other/x.bmp", bmp_bytes(8, 8));
    }
    // The folder list row showing a folder.
    static int dir_row(const frmBMPView& b, const std::string& folder) {
        for (int i = 0; i < b.Dir1.list_count(); ++i) {
            if (b.Dir1.list(i) == folder) return i;
        }
        return -1;
    }
};

TEST_F(NavigationTest, OpeningAFolderListsItAndResetsTheWindow) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "top.bmp");
    b.Timer1.set_interval(1000);
    b.Filter1.set_list_index(-1);
    b.VScroll1.set_visible(true);
    b.file_index = 3;

    b.Dir1.set_path(pictures + "/holiday");
    EXPECT_EQ(b.File1.path(), pictures + "/holiday");
    EXPECT_EQ(listed(b), (std::vector<std::string>{"sand.gif", "sea.jpg"}));
    EXPECT_EQ(b.Timer1.interval(), 0);
    EXPECT_EQ(b.file_index, 0);
    EXPECT_EQ(b.Filter1.list_index(), 0);
    EXPECT_FALSE(b.VScroll1.visible());
    EXPECT_EQ(b.Image1.width(), 120);  // the picture stays
    EXPECT_EQ(Module1::file_name, pictures + "/top.bmp");
}

TEST_F(NavigationTest, SingleClickOnAFolderRereadsTheOpenOne) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    home.write_file("pictures/late.gif", gif_bytes(4, 4));
    auto* list = static_cast<QListWidget*>(b.Dir1.widget());
    const int row = dir_row(b, pictures + "/holiday");
    ASSERT_GE(row, 0);
    emit list->itemClicked(list->item(row));
    EXPECT_EQ(b.File1.path(), pictures);
    EXPECT_EQ(listed(b), (std::vector<std::string>{"late.gif", "top.bmp"}));
    EXPECT_EQ(b.Dir1.path(), pictures);
}

TEST_F(NavigationTest, DoubleClickOpensAFolderAndAVanishedOneGivesAMessage) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    auto* list = static_cast<QListWidget*>(b.Dir1.widget());
    emit list->itemDoubleClicked(list->item(dir_row(b, pictures + "/holiday")));
    EXPECT_EQ(b.File1.path(), pictures + "/holiday");

    emit list->itemDoubleClicked(list->item(dir_row(b, pictures)));
    std::filesystem::remove_all(pictures + "/other");
    emit list->itemDoubleClicked(list->item(dir_row(b, pictures + "/other")));
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find("other"), std::string::npos);
    EXPECT_EQ(b.Dir1.path(), pictures);
    EXPECT_EQ(dir_row(b, pictures + "/other"), -1);  // the list was re-read
}

TEST_F(NavigationTest, ChoosingTheShownDriveRunsNothing) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.Timer1.set_interval(1000);
    b.Drive1.set_drive("/ [system]");
    EXPECT_EQ(b.Timer1.interval(), 1000);
    b.Timer1.set_interval(0);
}

TEST_F(NavigationTest, ADriveChangeGoesToThatDrivesFolder) {
    const std::string camera = home.make_folder("media/CAMERA");
    home.make_folder("media");
    home.write_file("media/CAMERA/dcim.jpg", jpeg_bytes(8, 8));
    set_mounts({camera});
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.Drive1.set_drive(camera + " [CAMERA]");
    EXPECT_EQ(b.Dir1.path(), camera);
    EXPECT_EQ(listed(b), std::vector<std::string>{"dcim.jpg"});
    // Back on the system drive, the folder last shown there comes back.
    b.Drive1.set_drive("/ [system]");
    EXPECT_EQ(b.Dir1.path(), pictures);
}

TEST_F(NavigationTest, AnUnreadableDriveGivesAMessageAndTheListGoesBack) {
    const std::string gone = home.file("media/GONE");  // listed but not there
    set_mounts({gone});
    start_program(pictures);
    frmBMPView& b = start_browser();
    auto* combo = static_cast<QComboBox*>(b.Drive1.widget());
    int row = -1;
    for (int i = 0; i < b.Drive1.list_count(); ++i) {
        if (b.Drive1.list(i) == gone + " [GONE]") row = i;
    }
    ASSERT_GE(row, 0);
    emit combo->activated(row);
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find(gone + " [GONE]"), std::string::npos);
    EXPECT_EQ(b.Drive1.drive(), "/ [system]");
    EXPECT_EQ(combo->currentText().toStdString(), "/ [system]");
    EXPECT_EQ(b.Dir1.path(), pictures);
}

TEST_F(NavigationTest, RestoreDirToAVanishedFolderIsSilent) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    Module1::cur_drive = "/ [system]";
    Module1::cur_dir = pictures + "/vanished";
    b.Restore_Dir();
    EXPECT_EQ(b.Dir1.path(), pictures);
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(NavigationTest, RestoreDirToTheShownFolderRereadsIt) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.Filter1.set_list_index(-1);
    home.write_file("pictures/new.jpg", jpeg_bytes(4, 4));
    Module1::cur_drive = b.Drive1.drive();
    Module1::cur_dir = pictures;
    b.Restore_Dir();
    EXPECT_EQ(b.Dir1.path(), pictures);
    EXPECT_EQ(listed(b), (std::vector<std::string>{"new.jpg", "top.bmp"}));
    EXPECT_EQ(b.Filter1.list_index(), 0);
}

TEST_F(NavigationTest, RestoreDirMovesMainBrowserToTheSavedFolder) {
    start_program(pictures);
    Module1::cur_drive = "/ [system]";
    Module1::cur_dir = pictures + "/holiday";
    windows::main_browser().Restore_Dir();
    EXPECT_EQ(listed(windows::main_browser()), (std::vector<std::string>{"sand.gif", "sea.jpg"}));
    EXPECT_EQ(start_browser().Dir1.path(), pictures);
}

}  // namespace
