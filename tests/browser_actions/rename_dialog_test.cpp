// The rename dialog opened by a double-click in the file list.
#include <QApplication>
#include <QCoreApplication>
#include <QTest>

#include <cstdio>
#include <stdexcept>

#include "actions_fixture.h"
#include "app/module1.h"
#include "app/windows.h"
#include "browser/frm_bmp_view.h"
#include "rename/frm_new_name.h"
#include "support/pictures.h"

using namespace test_support;

namespace actions_test {
namespace {

class RenameTest : public ActionsTest {
protected:
    frmNewName& dialog() {
        frmNewName* d = windows::new_name().get();
        if (!d) throw std::runtime_error("the rename dialog is not open");
        return *d;
    }
    static bool dialog_loaded() {
        QCoreApplication::processEvents();  // a released window goes once its event is over
        return windows::new_name().loaded();
    }
    // Sunset.jpg and Other.bmp with different bytes.
    frmBMPView& two_files() {
        home.write_file("pictures/Sunset.jpg", jpeg_bytes(16, 8));
        home.write_file("pictures/Other.bmp", bmp_bytes(8, 8));
        start_program(pictures);
        return start_browser();
    }
    void ok_with(const std::string& name) {
        dialog().txtNewName.set_text(name);
        dialog().cmdOK.press();
    }
};

TEST_F(RenameTest, HintIsTheExtensionOfFourCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Sunset.jpg", "*.jpg"}, {"Shot.GIF", "*.GIF"}, {"photo.jpeg", ""}, {"noext", ""}, {"a.b", ""}};
    for (const auto& c : cases) home.write_file("pictures/" + c.first, "x");
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.File1.set_pattern("*");
    for (const auto& [name, hint] : cases) {
        SCOPED_TRACE(name);
        double_click(b, name);
        ASSERT_TRUE(windows::new_name().loaded());
        EXPECT_EQ(dialog().txtNewName.text(), hint);
        EXPECT_TRUE(dialog().form().is_shown());
        EXPECT_EQ(dialog().form().caption(), "New File Name");
        dialog().cmdCancel.press();
        EXPECT_FALSE(dialog_loaded());
    }
}

TEST_F(RenameTest, NewNameTypedWithEnterRenamesAndMainBrowserShowsIt) {
    frmBMPView& b = two_files();
    const std::string bytes = read_file_bytes(pictures + "/Sunset.jpg");
    double_click(b, "Sunset.jpg");
    ASSERT_EQ(dialog().txtNewName.text(), "*.jpg");
    QWidget* edit = dialog().txtNewName.widget();
    QApplication::setActiveWindow(dialog().form().window());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, "Beach.jpg");
    QTest::keyClick(edit, Qt::Key_Return);

    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"Beach.jpg", "Other.bmp"}));
    EXPECT_EQ(read_file_bytes(pictures + "/Beach.jpg"), bytes);
    ASSERT_TRUE(windows::main_browser_loaded());
    frmBMPView& main = windows::main_browser();
    EXPECT_NE(&main, &b);
    EXPECT_EQ(listed(main), (std::vector<std::string>{"Beach.jpg", "Other.bmp"}));
    EXPECT_EQ(listed(b), (std::vector<std::string>{"Other.bmp", "Sunset.jpg"}));
    EXPECT_EQ(Module1::old_name, pictures + "/Sunset.jpg");
    EXPECT_EQ(Module1::file_name, pictures + "/Beach.jpg");
    EXPECT_FALSE(dialog_loaded());
    EXPECT_TRUE(recorded.boxes.empty());

    // A later rename refreshes the same further window.
    double_click(b, "Other.bmp");
    ok_with("Other2.bmp");
    EXPECT_EQ(&windows::main_browser(), &main);
    EXPECT_EQ(listed(main), (std::vector<std::string>{"Beach.jpg", "Other2.bmp"}));
}

TEST_F(RenameTest, EmptyNameRenamesNothingButRefreshesAndCloses) {
    frmBMPView& b = two_files();
    double_click(b, "Sunset.jpg");
    ok_with("");
    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"Other.bmp", "Sunset.jpg"}));
    EXPECT_TRUE(windows::main_browser_loaded());
    EXPECT_EQ(Module1::old_name, "Sunset.jpg");
    EXPECT_EQ(Module1::file_name, "");
    EXPECT_FALSE(dialog_loaded());
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(RenameTest, RefusedNamesChangeNothingAndKeepTheDialogForAnotherTry) {
    frmBMPView& b = two_files();
    home.make_folder("pictures/sub");
    const std::string sunset = read_file_bytes(pictures + "/Sunset.jpg");
    const std::string other = read_file_bytes(pictures + "/Other.bmp");
    double_click(b, "Sunset.jpg");
    frmNewName* const opened = &dialog();
    for (const std::string typed : {"Other.bmp", "*.jpg", "nosuch/new.jpg", "bad\tname.jpg", ".", ".."}) {
        SCOPED_TRACE(typed);
        recorded.boxes.clear();
        ok_with(typed);
        ASSERT_EQ(recorded.boxes.size(), 1u);
        EXPECT_EQ(recorded.boxes[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_TRUE(dialog_loaded());
        EXPECT_EQ(&dialog(), opened);
        EXPECT_TRUE(dialog().form().is_shown());
        EXPECT_EQ(dialog().txtNewName.text(), typed);
        EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"Other.bmp", "Sunset.jpg", "sub"}));
        EXPECT_TRUE(entries_of(pictures + "/sub").empty());
        EXPECT_EQ(read_file_bytes(pictures + "/Sunset.jpg"), sunset);
        EXPECT_EQ(read_file_bytes(pictures + "/Other.bmp"), other);
        EXPECT_FALSE(windows::main_browser_loaded());
        EXPECT_EQ(Module1::old_name, "Sunset.jpg");
        if (typed == "Other.bmp") {
            EXPECT_NE(recorded.boxes[0].text.find("already exists"), std::string::npos);
        }
    }

    // Corrected, the same dialog renames: into an existing subfolder.
    ok_with("sub/new.jpg");
    EXPECT_EQ(read_file_bytes(pictures + "/sub/new.jpg"), sunset);
    EXPECT_FALSE(path_exists(pictures + "/Sunset.jpg"));
    EXPECT_FALSE(dialog_loaded());
    EXPECT_TRUE(windows::main_browser_loaded());
}

TEST_F(RenameTest, FileGoneSinceTheDoubleClickIsRefused) {
    frmBMPView& b = two_files();
    double_click(b, "Sunset.jpg");
    ASSERT_TRUE(std::remove((pictures + "/Sunset.jpg").c_str()) == 0);
    ok_with("Beach.jpg");
    EXPECT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"Other.bmp"}));
    EXPECT_TRUE(dialog_loaded());
}

TEST_F(RenameTest, RecordedFolderIsUsedAfterTheBrowserMoves) {
    frmBMPView& b = two_files();
    const std::string elsewhere = home.make_folder("elsewhere");
    home.write_file("elsewhere/Sunset.jpg", "another file of that name");
    frmBMPView& main = windows::main_browser();
    main.Dir1.set_path(elsewhere);
    double_click(b, "Sunset.jpg");
    b.Dir1.set_path(elsewhere);
    ASSERT_EQ(b.File1.path(), elsewhere);
    ok_with("Beach.jpg");
    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"Beach.jpg", "Other.bmp"}));
    EXPECT_EQ(entries_of(elsewhere), (std::vector<std::string>{"Sunset.jpg"}));
    EXPECT_EQ(main.Dir1.path(), pictures);
    EXPECT_EQ(main.File1.path(), pictures);
    EXPECT_EQ(listed(main), (std::vector<std::string>{"Beach.jpg", "Other.bmp"}));
    EXPECT_EQ(b.File1.path(), elsewhere);
}

TEST_F(RenameTest, EscCancelAndCloseBoxChangeNothing) {
    frmBMPView& b = two_files();
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        double_click(b, "Sunset.jpg");
        dialog().txtNewName.set_text("Beach.jpg");
        if (way == 0) {
            QApplication::setActiveWindow(dialog().form().window());
            QTest::keyClick(dialog().txtNewName.widget(), Qt::Key_Escape);
        } else if (way == 1) {
            dialog().cmdCancel.press();
        } else {
            dialog().form().window()->close();
        }
        EXPECT_FALSE(dialog_loaded());
        EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"Other.bmp", "Sunset.jpg"}));
        EXPECT_FALSE(windows::main_browser_loaded());
        EXPECT_EQ(Module1::old_name, "Sunset.jpg");
    }
}

TEST_F(RenameTest, SecondDoubleClickKeepsTheTextAndRenamesTheLaterFile) {
    frmBMPView& b = two_files();
    double_click(b, "Sunset.jpg");
    frmNewName* const opened = &dialog();
    dialog().txtNewName.set_text("Beach.bmp");
    double_click(b, "Other.bmp");
    EXPECT_EQ(&dialog(), opened);
    EXPECT_EQ(dialog().txtNewName.text(), "Beach.bmp");
    dialog().cmdOK.press();
    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"Beach.bmp", "Sunset.jpg"}));
    EXPECT_FALSE(dialog_loaded());
}

}  // namespace
}  // namespace actions_test
