// The full-window layout, and Delete in the file list.
#include <QApplication>
#include <QTest>

#include <sys/stat.h>

#include "actions_fixture.h"
#include "app/mdi_form.h"
#include "support/pictures.h"

using namespace test_support;

namespace actions_test {
namespace {

class FullWindowTest : public ActionsTest {};

TEST_F(FullWindowTest, TwoClicksRestoreHomeAndFullWindowScrollsFromHomeWithoutTheList) {
    home.write_file("pictures/big.bmp", bmp_bytes(beyond_w(300), beyond_h(300)));
    start_program(pictures);
    frmBMPView& b = start_browser();
    QApplication::setActiveWindow(frame().form().window());
    select_file(b, "big.bmp");
    b.HScroll1.set_value(b.HScroll1.min() + 400);
    b.VScroll1.set_value(b.VScroll1.min() + 200);
    b.Image1_Click();
    EXPECT_FALSE(b.File1.widget()->isVisible());
    EXPECT_EQ(b.Image1.left(), 60);
    EXPECT_EQ(b.Image1.top(), 135);
    b.HScroll1.widget()->setFocus();
    b.HScroll1.set_value(b.HScroll1.min() + 500);
    b.VScroll1.set_value(b.VScroll1.min() + 300);
    EXPECT_EQ(b.Image1.left(), 2130 - b.HScroll1.value());
    EXPECT_EQ(b.Image1.top(), 135 - b.VScroll1.value());
    b.Image1_Click();
    EXPECT_TRUE(b.File1.visible());
    EXPECT_EQ(b.Image1.left(), 2130);
    EXPECT_EQ(b.Image1.top(), 135);
    // The focus stayed where it was, not handed to the list while hidden.
    EXPECT_TRUE(b.HScroll1.has_focus());
}

class DeleteTest : public ActionsTest {
protected:
    // a..e; c, d and e are larger than the screen, so showing them brings
    // up the bars.
    frmBMPView& five_files() {
        home.write_file("pictures/a.bmp", bmp_bytes(11, 5));
        home.write_file("pictures/b.bmp", bmp_bytes(12, 5));
        for (const char* n : {"c.bmp", "d.bmp", "e.bmp"})
            home.write_file(std::string("pictures/") + n, bmp_bytes(beyond_w(100), beyond_h(100)));
        start_program(pictures);
        return start_browser();
    }
    static void press_delete(frmBMPView& b) { QTest::keyClick(b.File1.widget(), Qt::Key_Delete); }
    static bool bars_hidden(const frmBMPView& b) { return !b.HScroll1.visible() && !b.VScroll1.visible(); }
};

TEST_F(DeleteTest, TheNextEntryIsShownAndAfterTheLastNothingIsSelected) {
    frmBMPView& b = five_files();
    select_file(b, "c.bmp");
    press_delete(b);
    EXPECT_EQ(entries_of(pictures), (Names{"a.bmp", "b.bmp", "d.bmp", "e.bmp"}));
    EXPECT_EQ(listed(b), entries_of(pictures));
    EXPECT_EQ(b.File1.file_name(), "d.bmp");
    EXPECT_TRUE(bars_hidden(b));

    select_file(b, "e.bmp");
    const int width = b.Image1.width();
    press_delete(b);
    EXPECT_EQ(entries_of(pictures), (Names{"a.bmp", "b.bmp", "d.bmp"}));
    EXPECT_EQ(b.File1.list_index(), -1);
    EXPECT_EQ(b.Image1.width(), width);  // its picture stays
    EXPECT_TRUE(bars_hidden(b));
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(DeleteTest, ReadOnlyOrNoSelectionDeletesNothing) {
    frmBMPView& b = five_files();
    const auto all = entries_of(pictures);
    press_delete(b);  // nothing selected
    EXPECT_EQ(entries_of(pictures), all);

    const std::string c = at("c.bmp");
    ASSERT_EQ(::chmod(c.c_str(), 0444), 0);  // read-only by its mode bits, even for root
    select_file(b, "c.bmp");
    b.Image1.set_left(500);
    press_delete(b);
    EXPECT_EQ(entries_of(pictures), all);
    EXPECT_EQ(b.File1.file_name(), "c.bmp");
    EXPECT_EQ(b.Image1.left(), 2130);  // shown again, at home
    EXPECT_TRUE(bars_hidden(b));
    EXPECT_TRUE(recorded.boxes.empty());
}

}  // namespace
}  // namespace actions_test
