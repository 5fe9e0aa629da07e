// The linked drive, folder and file lists, returning to a saved folder, and Delete in the file list.
#include <QComboBox>
#include <QListWidget>
#include <QTest>

#include <filesystem>

#include "app/state/module1.h"
#include "browser/frm_bmp_view.h"
#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

class NavigationTest : public AppTest {
protected:
    void SetUp() override {
        home.write_file("pictures/top.bmp", bmp_bytes(8, 8));
        home.make_folder("pictures/holiday");
        home.write_file("pictures/holiday/sea.jpg", "x");
        home.write_file("pictures/holiday/sand.gif", "x");
        home.make_folder("pictures/other");
    }
    // The folder list's entry for a folder, as the user would click it.
    static QListWidgetItem* dir_item(const frmBMPView& b, const std::string& folder) {
        for (int i = 0; i < b.Dir1.list_count(); ++i)
            if (b.Dir1.list(i) == folder) return static_cast<QListWidget*>(b.Dir1.widget())->item(i);
        return nullptr;
    }
};

// The selector's first entry and keys in the folder list read the folder again; a vanished folder gives
// a message, or when restored none, and opening a folder resets the window.
TEST_F(NavigationTest, FoldersAreReadAgainAndAVanishedOneGivesAMessageUnlessRestored) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    home.write_file("pictures/new.jpg", "x");
    auto* combo = static_cast<QComboBox*>(b.Filter1.widget());
    emit combo->activated(0);  // the pattern is already the pictures' pattern
    EXPECT_EQ(listed(b), (Names{"new.jpg", "top.bmp"}));

    home.write_file("pictures/newer.gif", "x");
    b.Timer1.set_interval(1000);
    QTest::keyClick(b.Dir1.widget(), Qt::Key_Down);  // highlights "holiday" without opening it
    EXPECT_EQ(listed(b), (Names{"new.jpg", "newer.gif", "top.bmp"}));
    EXPECT_EQ(b.Timer1.interval(), 0);

    auto* list = static_cast<QListWidget*>(b.Dir1.widget());
    std::filesystem::remove_all(pictures + "/other");
    emit list->itemDoubleClicked(dir_item(b, pictures + "/other"));
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find("other"), std::string::npos);
    EXPECT_EQ(b.Dir1.path(), pictures);
    EXPECT_EQ(dir_item(b, pictures + "/other"), nullptr);  // the list was re-read

    select_file(b, "top.bmp");
    b.Timer1.set_interval(1000);
    b.Filter1.set_list_index(-1);
    emit list->itemDoubleClicked(dir_item(b, pictures + "/holiday"));
    EXPECT_EQ(listed(b), (Names{"sand.gif", "sea.jpg"}));
    EXPECT_EQ(b.Timer1.interval(), 0);
    EXPECT_EQ(b.Filter1.list_index(), 0);
    // A saved folder that has gone leaves the lists where they are, silently.
    recorded.boxes.clear();
    Module1::cur_drive = "/ [system]";
    Module1::cur_dir = pictures + "/vanished";
    b.Restore_Dir();
    EXPECT_EQ(b.Dir1.path(), pictures + "/holiday");
    EXPECT_TRUE(recorded.boxes.empty());
}

// A drive mounted on its own holds the folders under it; each drive opens where it was left, and one
// that cannot be read gives a message and leaves both lists as they were.
TEST_F(NavigationTest, EachDriveOpensWhereItWasLeftAndTheListsFollow) {
    const std::string data = home.make_folder("data"), photos = home.make_folder("data/photos");
    const std::string data_drive = data + " [data]", gone = home.file("media/GONE") + " [GONE]";
    set_mounts({data, home.file("media/GONE")});  // the last mounted but not there
    start_program(data);
    frmBMPView& b = start_browser();
    EXPECT_EQ(b.Drive1.drive(), data_drive);
    auto* combo = static_cast<QComboBox*>(b.Drive1.widget());
    const auto choose_drive = [&](const std::string& spelled, const std::string& shown) {
        emit combo->activated(combo->findText(QString::fromStdString(spelled)));
        EXPECT_EQ(combo->currentText().toStdString(), shown);
        EXPECT_EQ(b.File1.path(), b.Dir1.path());
        return b.Dir1.path();
    };
    b.Dir1.set_path(photos);
    EXPECT_EQ(choose_drive("/ [system]", "/ [system]"), "/");  // the start folder is on the other drive
    b.Dir1.set_path(pictures);
    EXPECT_EQ(choose_drive(data_drive, data_drive), photos);
    EXPECT_TRUE(recorded.boxes.empty());
    EXPECT_EQ(choose_drive(gone, data_drive), photos);
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find(gone), std::string::npos);
    EXPECT_EQ(choose_drive("/ [system]", "/ [system]"), pictures);
}

// Delete in the file list: the entry taking the deleted one's place, the last entry, no selection.
using DeleteTest = AppTest;

TEST_F(DeleteTest, ClickingTheNextEntryBringsItsBarsBackAndAfterTheLastNothingIsSelected) {
    home.write_file("pictures/a.bmp", bmp_bytes(11, 5));
    home.write_file("pictures/b.bmp", bmp_bytes(12, 5));
    home.write_file("pictures/c.bmp", bmp_bytes(beyond_w(100), beyond_h(100)));  // brings up the bars
    start_program(pictures);
    frmBMPView& b = start_browser();
    QTest::keyClick(b.File1.widget(), Qt::Key_Delete);
    EXPECT_EQ(entries_of(pictures), (Names{"a.bmp", "b.bmp", "c.bmp"}));

    select_file(b, "b.bmp");
    QTest::keyClick(b.File1.widget(), Qt::Key_Delete);
    EXPECT_EQ(entries_of(pictures), (Names{"a.bmp", "c.bmp"}));
    ASSERT_EQ(b.File1.file_name(), "c.bmp");
    EXPECT_FALSE(b.HScroll1.visible() || b.VScroll1.visible());
    auto* list = static_cast<QListWidget*>(b.File1.widget());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->currentItem()).center());
    EXPECT_TRUE(b.HScroll1.visible() && b.VScroll1.visible());

    const int width = b.Image1.width();
    QTest::keyClick(b.File1.widget(), Qt::Key_Delete);
    EXPECT_EQ(listed(b), Names{"a.bmp"});
    EXPECT_EQ(b.File1.list_index(), -1);
    EXPECT_EQ(b.Image1.width(), width);  // its picture stays
    EXPECT_FALSE(b.HScroll1.visible() || b.VScroll1.visible());
    EXPECT_TRUE(recorded.boxes.empty());
}

}  // namespace
