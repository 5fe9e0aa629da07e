// The full-window layout, and the keys of the file list: Delete and the
// arrow keys.
#include <QApplication>
#include <QListWidget>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "actions_fixture.h"
#include "app/mdi_form.h"
#include "app/module1.h"
#include "browser/frm_bmp_view.h"
#include "support/pictures.h"

using namespace test_support;

namespace actions_test {
namespace {

class FullWindowTest : public ActionsTest {};

TEST_F(FullWindowTest, TwoClicksRestoreTheLayoutAndLeaveTheBarsAlone) {
    home.write_file("pictures/big.bmp", bmp_bytes(screen_px_w() + 300, screen_px_h() + 300));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "big.bmp");
    ASSERT_TRUE(b.HScroll1.visible());
    ASSERT_TRUE(b.VScroll1.visible());
    b.HScroll1.set_value(b.HScroll1.min() + 400);
    b.VScroll1.set_value(b.VScroll1.min() + 200);
    const int h_value = b.HScroll1.value(), v_value = b.VScroll1.value();

    QTest::mouseClick(b.Image1.widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b.full_window, platform::kTrue);
    for (const platform::Control* c : std::initializer_list<const platform::Control*>{
             &b.File1, &b.Dir1, &b.Drive1, &b.Filter1}) {
        EXPECT_FALSE(c->visible()) << c->name();
        EXPECT_FALSE(c->widget()->isVisible()) << c->name();
    }
    EXPECT_EQ(b.Image1.left(), 60);
    EXPECT_EQ(b.Image1.top(), 135);
    EXPECT_TRUE(b.HScroll1.visible());
    EXPECT_TRUE(b.VScroll1.visible());
    EXPECT_EQ(b.HScroll1.value(), h_value);
    EXPECT_EQ(b.VScroll1.value(), v_value);

    b.Image1_Click();
    EXPECT_EQ(b.full_window, platform::kFalse);
    EXPECT_EQ(b.Image1.left(), 2130);
    EXPECT_EQ(b.Image1.top(), 135);
    for (const platform::Control* c : std::initializer_list<const platform::Control*>{
             &b.File1, &b.Dir1, &b.Drive1, &b.Filter1})
        EXPECT_TRUE(c->visible()) << c->name();
    EXPECT_EQ(b.HScroll1.value(), h_value);
    EXPECT_EQ(b.VScroll1.value(), v_value);
    EXPECT_TRUE(b.HScroll1.visible());
}

TEST_F(FullWindowTest, ScrollingInFullWindowMovesFromHomeAndLeavesTheFocus) {
    home.write_file("pictures/big.bmp", bmp_bytes(screen_px_w() + 300, screen_px_h() + 300));
    start_program(pictures);
    frmBMPView& b = start_browser();
    QApplication::setActiveWindow(frame().form().window());
    select_file(b, "big.bmp");
    // In the normal layout a scroll hands the focus to the file list.
    b.Filter1.set_focus();
    b.HScroll1.set_value(b.HScroll1.min() + 10);
    EXPECT_TRUE(b.File1.has_focus());

    b.Image1_Click();
    b.HScroll1.widget()->setFocus();
    b.HScroll1.set_value(b.HScroll1.min() + 500);
    EXPECT_EQ(b.Image1.left(), 2130 - b.HScroll1.value());
    b.VScroll1.set_value(b.VScroll1.min() + 300);
    EXPECT_EQ(b.Image1.top(), 135 - b.VScroll1.value());
    // Back in the normal layout the picture is home again, and the focus is
    // where it was, not handed to the list while it was hidden.
    b.Image1_Click();
    EXPECT_EQ(b.Image1.left(), 2130);
    EXPECT_EQ(b.Image1.top(), 135);
    EXPECT_FALSE(b.File1.has_focus());
    EXPECT_TRUE(b.HScroll1.has_focus());
}

class FileKeysTest : public ActionsTest {
protected:
    // Five pictures a..e; c and e are larger than the screen, so showing
    // them brings up the bars.
    frmBMPView& five_files() {
        const int w = screen_px_w() + 100, h = screen_px_h() + 100;
        home.write_file("pictures/a.bmp", bmp_bytes(11, 5));
        home.write_file("pictures/b.bmp", bmp_bytes(12, 5));
        home.write_file("pictures/c.bmp", bmp_bytes(w, h));
        home.write_file("pictures/d.bmp", bmp_bytes(w + 1, h));
        home.write_file("pictures/e.bmp", bmp_bytes(w + 2, h));
        start_program(pictures);
        return start_browser();
    }
    static void press(frmBMPView& b, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClick(b.File1.widget(), key, mods);
    }
    static bool bars_hidden(const frmBMPView& b) { return !b.HScroll1.visible() && !b.VScroll1.visible(); }
};

TEST_F(FileKeysTest, DeleteInTheMiddleShowsTheNextWithoutBars) {
    frmBMPView& b = five_files();
    const int w = screen_px_w() + 100;
    select_file(b, "c.bmp");
    ASSERT_FALSE(bars_hidden(b));
    press(b, Qt::Key_Delete);
    EXPECT_FALSE(path_exists(pictures + "/c.bmp"));
    EXPECT_EQ(listed(b), (std::vector<std::string>{"a.bmp", "b.bmp", "d.bmp", "e.bmp"}));
    EXPECT_EQ(b.File1.list_index(), 2);
    EXPECT_EQ(b.File1.file_name(), "d.bmp");
    EXPECT_EQ(b.Image1.width(), twips(w + 1));
    EXPECT_EQ(Module1::file_name, pictures + "/d.bmp");
    EXPECT_TRUE(bars_hidden(b));

    // Shift+Delete does the same.
    select_file(b, "a.bmp");
    press(b, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"b.bmp", "d.bmp", "e.bmp"}));
    EXPECT_EQ(b.File1.file_name(), "b.bmp");
    EXPECT_EQ(b.Image1.width(), twips(12));
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(FileKeysTest, DeleteOnTheLastEntryLeavesItsPictureAndSelectsNothing) {
    frmBMPView& b = five_files();
    select_file(b, "e.bmp");
    ASSERT_FALSE(bars_hidden(b));
    const int width = b.Image1.width();
    press(b, Qt::Key_Delete);
    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp", "d.bmp"}));
    EXPECT_EQ(b.File1.list_count(), 4);
    EXPECT_EQ(b.File1.list_index(), -1);
    EXPECT_EQ(b.Image1.width(), width);
    EXPECT_TRUE(bars_hidden(b));
}

TEST_F(FileKeysTest, ReadOnlyFileStaysAndIsShownAgain) {
    frmBMPView& b = five_files();
    const std::string c = pictures + "/c.bmp";
    ASSERT_EQ(::chmod(c.c_str(), 0444), 0);
    const std::string bytes = read_file_bytes(c);
    select_file(b, "c.bmp");
    b.Image1.set_left(500);  // showing it again puts it back home
    press(b, Qt::Key_Delete);
    EXPECT_EQ(read_file_bytes(c), bytes);
    EXPECT_EQ(b.File1.list_count(), 5);
    EXPECT_EQ(b.File1.list_index(), 2);
    EXPECT_EQ(b.File1.file_name(), "c.bmp");
    EXPECT_EQ(b.Image1.left(), 2130);
    EXPECT_TRUE(bars_hidden(b));
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(FileKeysTest, NoSelectionOrAVanishedFileDeletesNothingElse) {
    frmBMPView& b = five_files();
    const auto all = entries_of(pictures);
    ASSERT_EQ(b.File1.list_index(), -1);
    press(b, Qt::Key_Delete);
    press(b, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(path_exists(pictures));
    EXPECT_EQ(entries_of(pictures), all);

    // A file removed behind the list's back: the list is read again and the
    // entry that took its place is shown.
    select_file(b, "b.bmp");
    ASSERT_EQ(::unlink((pictures + "/b.bmp").c_str()), 0);
    press(b, Qt::Key_Delete);
    EXPECT_EQ(entries_of(pictures), (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp", "e.bmp"}));
    EXPECT_EQ(listed(b), (std::vector<std::string>{"a.bmp", "c.bmp", "d.bmp", "e.bmp"}));
    EXPECT_EQ(b.File1.file_name(), "c.bmp");
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(FileKeysTest, ArrowKeysStepOneEntryAndShowEachPicture) {
    frmBMPView& b = five_files();
    QApplication::setActiveWindow(frame().form().window());
    b.File1.set_focus();
    ASSERT_EQ(b.File1.list_index(), -1);
    press(b, Qt::Key_Down);  // from no selection: the first entry
    EXPECT_EQ(b.File1.list_index(), 0);
    EXPECT_EQ(b.Image1.width(), twips(11));
    press(b, Qt::Key_Down);
    EXPECT_EQ(b.File1.list_index(), 1);
    EXPECT_EQ(b.Image1.width(), twips(12));
    EXPECT_EQ(b.file_index, 1);
    press(b, Qt::Key_Down);
    EXPECT_EQ(b.File1.file_name(), "c.bmp");
    EXPECT_EQ(Module1::file_name, pictures + "/c.bmp");
    EXPECT_TRUE(b.HScroll1.visible());
    press(b, Qt::Key_Up);
    EXPECT_EQ(b.File1.list_index(), 1);
    EXPECT_EQ(b.Image1.width(), twips(12));
    EXPECT_TRUE(bars_hidden(b));
    EXPECT_EQ(entries_of(pictures).size(), 5u);
}

}  // namespace
}  // namespace actions_test
