// The action selector's entries and the wallpaper they set: the style in the
// settings store, the picture converted to a bitmap where needed, and the
// path handed to the desktop.
#include <QComboBox>
#include <QImageReader>
#include <QLineEdit>
#include <QTest>

#include "actions_fixture.h"
#include "app/mdi_form.h"
#include "browser/frm_bmp_view.h"
#include "support/pictures.h"

using namespace test_support;
using platform::WallpaperStyle;

namespace actions_test {
namespace {

class SelectorTest : public ActionsTest {};

TEST_F(SelectorTest, EveryEntryStopsARunningSlideshowFirst) {
    home.write_file("pictures/a.bmp", bmp_bytes(8, 8));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.bmp");
    for (int entry : {0, 2, 3}) {
        SCOPED_TRACE(entry);
        b.Timer1.set_interval(1000);
        choose(b, entry);
        EXPECT_EQ(b.Timer1.interval(), 0);
    }
    // No entry selected: the timer stops and nothing else happens.
    b.Timer1.set_interval(1000);
    b.File1.set_pattern("*.*");
    const std::size_t wallpapers_before = recorded.wallpapers.size();
    b.Filter1.set_list_index(-1);
    EXPECT_EQ(b.Timer1.interval(), 0);
    EXPECT_EQ(b.File1.pattern(), "*.*");
    EXPECT_EQ(recorded.wallpapers.size(), wallpapers_before);
    EXPECT_NE(frame().form().window_state(), 1);
}

TEST_F(SelectorTest, FirstEntryListsOnlyThePictureKinds) {
    for (const char* n : {"a.GIF", "b.jpg", "c.Bmp", "d.ico", "e.wmf", "f.txt", "g.jpeg"})
        home.write_file(std::string("pictures/") + n, "x");
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.File1.set_pattern("*.*");
    ASSERT_EQ(listed(b).size(), 7u);
    choose(b, 0);
    EXPECT_EQ(listed(b), (std::vector<std::string>{"a.GIF", "b.jpg", "c.Bmp", "d.ico"}));
    EXPECT_TRUE(recorded.wallpapers.empty());
}

TEST_F(SelectorTest, AutoShowWritesCentredMinimisesAndWaitsForTheFirstTick) {
    home.write_file("pictures/a.bmp", bmp_bytes(8, 8));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.bmp");
    choose(b, 3);  // tiled first, so the centred values are seen to be written
    ASSERT_EQ(style_value("WallpaperStyle"), "1");
    recorded.wallpapers.clear();

    choose(b, 1);
    EXPECT_EQ(style_value("WallpaperStyle"), "0");
    EXPECT_EQ(style_value("TileWallpaper"), "0");
    EXPECT_EQ(frame().form().window_state(), 1);
    EXPECT_EQ(b.Timer1.interval(), 1000);
    EXPECT_TRUE(recorded.wallpapers.empty());
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(SelectorTest, AutoShowWritesTheStyleOnceNotOnEveryTick) {
    home.write_file("pictures/a.bmp", bmp_bytes(8, 8));
    home.write_file("pictures/b.bmp", bmp_bytes(8, 8));
    start_program(pictures);
    frmBMPView& b = start_browser();
    make_store_unwritable();  // every style write shows a box
    choose(b, 1);
    EXPECT_EQ(recorded.boxes.size(), 2u);
    for (int i = 0; i < 3; ++i) b.Timer1_Timer();
    EXPECT_EQ(recorded.wallpapers.size(), 3u);
    EXPECT_EQ(recorded.boxes.size(), 2u);
}

TEST_F(SelectorTest, WallpaperEntriesStoreTheStyleBeforeSettingThePicture) {
    home.write_file("pictures/a.bmp", bmp_bytes(8, 8));
    std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> seen;
    services.desktop_wallpaper = [&](const std::string& path, WallpaperStyle style) {
        recorded.wallpapers.emplace_back(path, style);
        seen.emplace_back(style_value("WallpaperStyle"), style_value("TileWallpaper"));
        return true;
    };
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.bmp");

    choose(b, 3);
    choose(b, 2);
    ASSERT_EQ(recorded.wallpapers.size(), 2u);
    EXPECT_EQ(recorded.wallpapers[0].second, WallpaperStyle::Tiled);
    EXPECT_EQ(seen[0].first, "1");
    EXPECT_EQ(seen[0].second, "1");
    EXPECT_EQ(recorded.wallpapers[1].second, WallpaperStyle::Centered);
    EXPECT_EQ(seen[1].first, "0");
    EXPECT_EQ(seen[1].second, "0");
    EXPECT_EQ(wallpaper_paths(), (std::vector<std::string>{pictures + "/a.bmp", pictures + "/a.bmp"}));
    EXPECT_EQ(b.Timer1.interval(), 0);
    EXPECT_NE(frame().form().window_state(), 1);
}

TEST_F(SelectorTest, TypedTextRunsNothing) {
    home.write_file("pictures/a.bmp", bmp_bytes(8, 8));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.bmp");
    auto* combo = static_cast<QComboBox*>(b.Filter1.widget());
    QLineEdit* edit = combo->lineEdit();
    ASSERT_NE(edit, nullptr);
    b.form().show();
    QApplication::setActiveWindow(frame().form().window());
    combo->setFocus();
    // The text of an entry, typed in full, part-typed (the rest completed by
    // the box) and in other case, then Enter or leaving the field.
    for (const char* typed : {"Change wallpaper (Tile)", "Change wallpaper (T", "auto show (*.*)"}) {
        SCOPED_TRACE(typed);
        edit->clear();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        b.File1.set_focus();
        EXPECT_TRUE(recorded.wallpapers.empty());
        EXPECT_FALSE(style_value("WallpaperStyle").has_value());
        EXPECT_EQ(b.Timer1.interval(), 0);
        EXPECT_NE(frame().form().window_state(), 1);
        EXPECT_EQ(b.Filter1.list_index(), 0);
        combo->setFocus();
    }
    EXPECT_EQ(combo->count(), 5);
    // An entry picked with the keyboard still runs.
    combo->setCurrentIndex(1);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(b.Filter1.list_index(), 2);
    EXPECT_EQ(recorded.wallpapers.size(), 1u);
}

class LoadWallpaperTest : public ActionsTest {
protected:
    QSize preview_size() const {
        QImageReader reader(QString::fromStdString(services.preview_bmp_path));
        reader.setFormat("bmp");
        const QImage image = reader.read();
        return image.isNull() ? QSize() : image.size();
    }
};

TEST_F(LoadWallpaperTest, JpegBecomesABitmapAtItsOwnSizeAndTheCaptionItsName) {
    home.write_file("pictures/Sea.JPG", jpeg_bytes(40, 30));
    home.write_file("pictures/other.bmp", bmp_bytes(10, 10));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "Sea.JPG");
    b.Image1.load(pictures + "/other.bmp");  // the picture is read again
    choose(b, 2);
    EXPECT_EQ(wallpaper_paths(), (std::vector<std::string>{services.preview_bmp_path}));
    EXPECT_EQ(preview_size(), QSize(40, 30));
    EXPECT_EQ(frame().form().caption(), "Sea.JPG");
    EXPECT_EQ(b.Image1.width(), twips(40));
}

TEST_F(LoadWallpaperTest, OnlyGifAndJpgOfAnyCaseAreConverted) {
    home.write_file("pictures/a.bmp", bmp_bytes(11, 7));
    home.write_file("pictures/b.jpeg", jpeg_bytes(12, 7));
    home.write_file("pictures/c.GIF", gif_bytes(13, 7));
    home.write_file("pictures/d.Jpg", jpeg_bytes(14, 7));
    start_program(pictures);
    frmBMPView& b = start_browser();
    b.File1.set_pattern("*.*");
    // Not converted: the file's own path, and no bitmap written.
    for (const char* n : {"a.bmp", "b.jpeg"}) {
        select_file(b, n);
        choose(b, 3);
        EXPECT_EQ(recorded.wallpapers.back().first, pictures + "/" + n);
    }
    EXPECT_FALSE(path_exists(services.preview_bmp_path));
    // Converted: the bitmap, at the picture's own size.
    select_file(b, "c.GIF");
    choose(b, 3);
    EXPECT_EQ(recorded.wallpapers.back().first, services.preview_bmp_path);
    EXPECT_EQ(preview_size(), QSize(13, 7));
    select_file(b, "d.Jpg");
    choose(b, 2);
    EXPECT_EQ(recorded.wallpapers.back().first, services.preview_bmp_path);
    EXPECT_EQ(preview_size(), QSize(14, 7));
    EXPECT_EQ(recorded.wallpapers.size(), 4u);
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(LoadWallpaperTest, UnreadableGifSavesThePictureOnView) {
    home.write_file("pictures/a.bmp", bmp_bytes(21, 9));
    home.write_file("pictures/b.gif", "GIF89a but nothing more");
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.bmp");
    select_file(b, "b.gif");  // the picture on view stays a.bmp
    choose(b, 2);
    EXPECT_EQ(wallpaper_paths(), (std::vector<std::string>{services.preview_bmp_path}));
    EXPECT_EQ(preview_size(), QSize(21, 9));
    EXPECT_EQ(frame().form().caption(), "b.gif");
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(LoadWallpaperTest, NoFileSelectedHandsOverTheFolder) {
    home.write_file("pictures/a.jpg", jpeg_bytes(8, 8));
    start_program(pictures);
    frmBMPView& b = start_browser();
    ASSERT_EQ(b.File1.list_index(), -1);
    choose(b, 2);
    EXPECT_EQ(wallpaper_paths(), (std::vector<std::string>{pictures + "/"}));
    EXPECT_EQ(frame().form().caption(), "");
    EXPECT_FALSE(path_exists(services.preview_bmp_path));
    EXPECT_TRUE(recorded.boxes.empty());
}

TEST_F(LoadWallpaperTest, UnwritableStoreGivesTwoBoxesPerStyleAndStillSetsThePicture) {
    home.write_file("pictures/a.bmp", bmp_bytes(8, 8));
    start_program(pictures);
    frmBMPView& b = start_browser();
    select_file(b, "a.bmp");
    make_store_unwritable();
    choose(b, 3);
    ASSERT_EQ(recorded.boxes.size(), 2u);
    for (const auto& box : recorded.boxes) {
        EXPECT_TRUE(box.title == "Registry Write Error" || box.title == "Registry Open Error") << box.title;
        EXPECT_EQ(box.icon, platform::MsgIcon::Critical);
    }
    EXPECT_EQ(wallpaper_paths(), (std::vector<std::string>{pictures + "/a.bmp"}));
    choose(b, 2);
    EXPECT_EQ(recorded.boxes.size(), 4u);
    EXPECT_EQ(recorded.wallpapers.size(), 2u);
}

}  // namespace
}  // namespace actions_test
