// Delete in the file list: the entry taking the deleted one's place, the last entry, no selection.
#include <QListWidget>
#include <QTest>

#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

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
    EXPECT_EQ(entries_of(pictures), Names{"a.bmp"});
    EXPECT_EQ(listed(b), Names{"a.bmp"});
    EXPECT_EQ(b.File1.list_index(), -1);
    EXPECT_EQ(b.Image1.width(), width);  // its picture stays
    EXPECT_FALSE(b.HScroll1.visible() || b.VScroll1.visible());
    EXPECT_TRUE(recorded.boxes.empty());
}

}  // namespace
