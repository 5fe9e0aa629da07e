// Showing the selected picture at its own size, and the scroll-bar rules at their boundaries.
#include <QApplication>

#include <cstdio>
#include <QTest>

#include "app/frame/mdi_form.h"
#include "app/state/module1.h"
#include "browser/frm_bmp_view.h"
#include "platform/core/runtime.h"
#include "platform/pictures/picture_data.h"
#include "support/app_env.h"
#include "support/pictures.h"

using namespace test_support;

namespace {

using ImageDisplayTest = AppTest;

TEST_F(ImageDisplayTest, BarsOnlyBeyondTheRoomAndAnOverflowingMaximumKeepsThePreviousOne) {
    start_program(pictures);
    frmBMPView& b = start_browser();
    // Down: the screen less the window's top. Across: the screen less the 1935-wide file list.
    const int tall_px = (platform::screen_height_twips() - b.form().top()) / 15;
    const int wide_px = (platform::screen_width_twips() - 1935) / 15;
    home.write_file("pictures/a_exact.bmp", bmp_bytes(wide_px, tall_px));
    home.write_file("pictures/b_taller.bmp", bmp_bytes(10, tall_px + 1));
    home.write_file("pictures/c_wider.bmp", bmp_bytes(wide_px + 1, 10));
    home.write_file("pictures/d_huge.bmp", bmp_bytes(10, 2700));  // 40500 twips: beyond 16 bits
    b.File1.refresh();
    select_file(b, "a_exact.bmp");
    EXPECT_FALSE(b.VScroll1.visible() || b.HScroll1.visible());
    // At a bar's maximum the picture's far edge meets the room's edge.
    select_file(b, "b_taller.bmp");
    ASSERT_TRUE(b.VScroll1.visible());
    b.VScroll1.set_value(b.VScroll1.max());
    EXPECT_EQ(b.Image1.top() + b.Image1.height(), b.Filter1.top());
    const int before = b.VScroll1.max();
    select_file(b, "d_huge.bmp");  // the maximum overflows and the previous one stays
    EXPECT_EQ(b.VScroll1.max(), before);
    EXPECT_EQ(b.VScroll1.value(), b.VScroll1.min());  // at home with its picture
    select_file(b, "c_wider.bmp");
    EXPECT_FALSE(b.VScroll1.visible());
    ASSERT_TRUE(b.HScroll1.visible());
    b.HScroll1.set_value(b.HScroll1.max());
    EXPECT_EQ(b.Image1.left() + b.Image1.width(), b.form().width());
}

TEST_F(ImageDisplayTest, OwnSizeAtHomeAndUnreadableFilesLeaveThePreviousPictureSilently) {
    // The good picture's name has quotes, a line break and bytes that are not UTF-8.
    const std::string good = "a_quote\"s' #1 100%\nline\xff\xfe.bmp";
    home.write_file("pictures/" + good, bmp_bytes(20, 10));
    home.write_file("pictures/b_corrupt.jpg", "\xff\xd8\xff\xe0 this is not really a jpeg");
    home.write_file("pictures/c_empty.gif", "");
    home.write_file("pictures/d_text.bmp", "plain text named like a bitmap\n");
    home.write_file("pictures/e_truncated.jpg", jpeg_bytes(64, 64).substr(0, 20));
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.File1_Click();  // nothing selected: the first entry, at its own size at home
    EXPECT_EQ(Module1::file_name, pictures + "/" + good);
    for (const char* bad : {"b_corrupt.jpg", "c_empty.gif", "d_text.bmp", "e_truncated.jpg"}) {
        SCOPED_TRACE(bad);
        b.Image1.set_left(500);
        select_file(b, bad);
        EXPECT_EQ(Module1::file_name, pictures + "/" + bad);
        EXPECT_EQ(b.Image1.width(), 300);  // still the good picture, at home
        EXPECT_EQ(b.Image1.left(), 2130);
    }
    EXPECT_TRUE(recorded.boxes.empty());
}

// A large picture comes part first; scrolled to its far corner, that corner shows the picture.
TEST_F(ImageDisplayTest, TheBarsFollowTheSelectorInTheTabOrderAndScrollToPaintBeyondThePartShownFirst) {
    home.write_file("pictures/big.jpg", encode_with_qt(solid_image(beyond_w(100), beyond_h(100), Qt::red), "JPEG"));
    platform::set_visible_part(200, 150);
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "big.jpg");
    ASSERT_TRUE(b.Image1.picture().data()->rest);
    ASSERT_TRUE(b.VScroll1.visible() && b.HScroll1.visible());
    for (const QWidget* bar : {b.VScroll1.widget(), b.HScroll1.widget()})  // above the picture
        EXPECT_EQ(b.form().client()->childAt(bar->geometry().center()), bar);
    QApplication::setActiveWindow(frame().form().window());
    b.Filter1.set_focus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(b.HScroll1.has_focus());
    QTest::keyClick(b.HScroll1.widget(), Qt::Key_Right);
    EXPECT_EQ(b.HScroll1.value(), 2140);
    EXPECT_EQ(b.Image1.left(), -10);
    b.HScroll1.set_value(b.HScroll1.max());
    b.VScroll1.set_value(b.VScroll1.max());
    QWidget* w = b.Image1.widget();
    const QColor corner = w->grab(QRect(w->width() - 4, w->height() - 4, 4, 4)).toImage().pixelColor(1, 1);
    platform::set_visible_part(0, 0);
    EXPECT_GT(corner.red(), 200);
    EXPECT_LT(corner.green(), 60);
}

TEST_F(ImageDisplayTest, NeighboursDecodedAheadAreNeverShownStaleAndGoWithTheirFolder) {
    for (int i = 0; i < 4; ++i) home.write_file("pictures/" + std::string(1, char('a' + i)) + ".bmp", bmp_bytes(10 + i, 5));
    home.make_folder("pictures/sub");
    start_program(pictures);
    frmBMPView& b = start_browser();
    const auto held = [&] {
        b.neighbour_pictures.wait_idle();
        return b.neighbour_pictures.held_paths();
    };
    select_file(b, "a.bmp");
    EXPECT_EQ(held(), Names{at("b.bmp")});
    select_file(b, "b.bmp");
    EXPECT_EQ(held(), (Names{at("c.bmp"), at("a.bmp")}));  // the next first
    // c is replaced under its name before the key: the new picture shows.
    std::rename(home.write_file("pictures/new.bmp.tmp", bmp_bytes(30, 5)).c_str(), at("c.bmp").c_str());
    QTest::keyClick(b.File1.widget(), Qt::Key_Down);
    EXPECT_EQ(b.Image1.width(), 15 * 30);
    EXPECT_EQ(held(), (Names{at("d.bmp"), at("b.bmp")}));
    // Delete shows the next entry and keeps nothing of the deleted file.
    QTest::keyClick(b.File1.widget(), Qt::Key_Delete);
    ASSERT_EQ(b.File1.file_name(), "d.bmp");
    EXPECT_EQ(b.Image1.width(), 15 * 13);
    EXPECT_EQ(held(), Names{at("b.bmp")});
    // Another folder drops it all.
    b.Dir1.set_path(pictures + "/sub");
    EXPECT_TRUE(held().empty());
}

}  // namespace
