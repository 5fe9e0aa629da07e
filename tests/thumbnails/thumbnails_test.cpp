// The thumbnail window: grid arithmetic, what loads when, Cancel, unreadable files, reduced copies,
// past 32767 pictures, names as spelled, and events coming back in while a page loads.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "browser/frm_bmp_view.h"
#include "platform/desktop/real_services.h"
#include "platform/pictures/cell_picture.h"
#include "platform/pictures/picture_prefetch.h"
#include "support/app_env.h"
#include "support/pictures.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/grid_constants.h"

using namespace test_support;

namespace {

std::string loading(int number) { return "Loading image  " + std::to_string(number); }

// Browser sizes, in twips, that hold exactly 8 columns (and the bar's room) and 7 rows of cells.
constexpr int kWidth8 = 11445, kHeight7 = 8640;

// What a text shows: itself in plain format, or what it renders to as markup.
std::string as_shown(const QString& text, Qt::TextFormat format) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text))) return text.toStdString();
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText().toStdString();
}

// A started program, a folder of pictures, the window opened as "Thumbnail View" does, a pump hook.
class ThumbsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        start_program(pictures);
        // A zero-interval timer fires in every pump pass: it records new progress messages, runs on_pump.
        pump_.setInterval(0);
        QObject::connect(&pump_, &QTimer::timeout, [this] {
            frmProgress* p = windows::progress().get();
            const std::string text = p ? p->lbl_1.caption() : std::string();
            if (text.rfind("Loading image", 0) == 0 && (messages.empty() || messages.back() != text))
                messages.push_back(text);
            if (on_pump) on_pump(text);
        });
        pump_.start();
    }
    void TearDown() override {
        pump_.stop();
        settle();
        AppTest::TearDown();
    }

    // `count` hard links p00000.<ext>, p00001.<ext>, ... of one picture file.
    void make_pictures(int count, const std::string& bytes = jpeg_bytes(40, 30), const char* ext = "jpg") {
        const std::string original = home.write_file(std::string("original.") + ext, bytes);
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/p%05d.%s", i, ext);
            ASSERT_EQ(::link(original.c_str(), (pictures + name).c_str()), 0) << name;
        }
    }

    // By default a page of 7 rows of 8.
    frmThumbnails& open(int view_width = kWidth8, float view_height = kHeight7) {
        Module1::cur_dir = Module1::cur_drive = pictures;
        Module1::view_width = view_width;
        Module1::view_height = view_height;
        return windows::thumbnails()();
    }

    // Serves posted events: windows released are destroyed.
    static void settle() {
        for (int k = 0; k < 3; ++k) QCoreApplication::processEvents();
    }

    // The latest message seen; empty when there was none (a failure, not a crash).
    std::string last_message() const { return messages.empty() ? std::string() : messages.back(); }

    std::function<void(const std::string& message)> on_pump;
    std::vector<std::string> messages;  // "Loading image" messages seen, in order

private:
    QTimer pump_;
};

// Rows and columns where one more fits; a page shows as many cells as fit, the bar inside the room.
TEST_F(ThumbsTest, PagesFillTheRoomExactlyAndTheBarOnlyWhenAPageIsNotEnough) {
    const auto empty_folder = [&] {
        unload_thumbnails();
        settle();
        for (const auto& name : entries_of(pictures)) ::unlink((pictures + "/" + name).c_str());
    };
    const int w8 = kWidth8, h7 = kHeight7;
    struct Grid { int files, view_w, view_h, rows, cols, max; };
    const Grid grids[] = {
        {100, w8, h7, 7, 8, 6},            // 12.5 rows: 6.5 rows of scrolling, halved to even
        {57, w8, h7, 7, 8, 1},             // one file more than a page: one row of scrolling
        {56, w8, h7, 7, 8, 0},             // exactly a page: no bar
        {56, w8 - 1, h7 - 1, 6, 7, 3},     // a twip less: a row and a column less
        {3, 1000, 1000, 1, 1, 3},          // smaller than a cell: still one row and one column
    };
    for (const Grid& g : grids) {
        SCOPED_TRACE(testing::Message() << g.files << " files in " << g.view_w << " x " << g.view_h);
        empty_folder();
        make_pictures(g.files);
        frmThumbnails& t = open(g.view_w, g.view_h);
        EXPECT_EQ(t.rows_per_page, g.rows);
        EXPECT_EQ(t.cols_per_row, g.cols);
        EXPECT_EQ(t.VScroll1.visible(), g.max > 0);
        EXPECT_EQ(g.max > 0 ? t.VScroll1.max() : 0, g.max);
        int shown = 0, right = 0, bottom = 0, top = 1 << 30;
        for (const auto& cell : t.Image1) {
            if (!cell->visible()) continue;
            ++shown;
            top = std::min(top, int(cell->top()));
            right = std::max(right, int(cell->left() + cell->width()));
            bottom = std::max(bottom, int(cell->top() + cell->height()));
        }
        EXPECT_EQ(shown, std::min(g.files, g.rows * g.cols));
        EXPECT_LE(bottom, g.rows > 1 ? g.view_h : bottom);
        if (g.max == 0) continue;
        EXPECT_EQ(t.VScroll1.large_change(), g.rows);
        EXPECT_GE(t.VScroll1.left(), right);
        EXPECT_EQ(t.VScroll1.top(), top);  // level with the first row
        EXPECT_LE(t.VScroll1.left() + t.VScroll1.width(), g.cols > 1 ? g.view_w : 1 << 30);
    }
    empty_folder();
    // No picture the window lists: a message, and no window.
    home.write_file("pictures/drawing.wmf", "not listed");
    start_browser().Filter1.set_list_index(4);  // "Thumbnail View"
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(recorded.boxes[0].text, "There is no graphics file under this directory");
    EXPECT_FALSE(windows::thumbnails().loaded() && windows::thumbnails()().form().is_shown());
}

TEST_F(ThumbsTest, CancelWhileTheSixthPictureIsAnnouncedKeepsTheFiveBefore) {
    make_pictures(20);
    on_pump = [](const std::string& text) {
        if (text == loading(6) && windows::progress().loaded()) windows::progress()().cmdCancel.press();
    };
    start_browser().Filter1.set_list_index(4);  // "Thumbnail View"
    EXPECT_EQ(last_message(), loading(6));
    ASSERT_TRUE(windows::thumbnails().loaded());
    frmThumbnails& t = windows::thumbnails()();
    // Cells 0 to 4 were made; the unload step then removed the extra images.
    ASSERT_EQ(t.lb_txt.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.lb_txt[static_cast<size_t>(i)]->caption(), t.File1.list(i));
    EXPECT_EQ(t.Image1.size(), 1u);
}

// Reduced copies of every kind of picture, unreadable files among them.
TEST_F(ThumbsTest, CellsHoldCopiesNoLargerThanTheirBoxOrNothing) {
    home.write_file("pictures/b.jpg", "this is not a picture at all");
    home.write_file("pictures/c.jpg", jpeg_bytes(400, 300).substr(0, 40));
    home.write_file("pictures/icon.ico", ico_bytes({pattern_image(16, 16), pattern_image(64, 64)}));
    home.write_file("pictures/tall.jpg", jpeg_bytes(600, 1800));
    home.write_file("pictures/tiny.bmp", bmp_bytes(12, 10));
    make_pictures(60, jpeg_bytes(800, 600));
    frmThumbnails& t = open();
    t.VScroll1.set_value(t.VScroll1.max());
    // b.jpg, c.jpg, icon.ico, p00000.jpg ... p00059.jpg, tall.jpg, tiny.bmp
    ASSERT_EQ(t.Image1.size(), 65u);
    const int box_w = platform::twips_to_device_px_x(thumbs::kImageSize);
    const int box_h = platform::twips_to_device_px_y(thumbs::kImageSize);
    for (size_t i = 0; i < t.Image1.size(); ++i) {
        const platform::Picture& picture = t.Image1[i]->picture();
        EXPECT_EQ(picture.empty(), i < 2) << i;
        EXPECT_LE(picture.width_px(), box_w) << i;
        EXPECT_LE(picture.height_px(), box_h) << i;
    }
    // Large pictures fill their box; small ones stay small.
    EXPECT_EQ(t.Image1[2]->picture().width_px(), box_w);  // the icon's 64 px image
    EXPECT_EQ(t.Image1[63]->picture().height_px(), box_h);
    EXPECT_EQ(t.Image1[64]->picture().width_px(), 12);
    // Enlarged, a picture lies above the cells after it.
    const QWidget* big = t.Image1[t.first_index]->widget();
    t.Image1_Click(t.first_index);
    EXPECT_EQ(big->parentWidget()->childAt(t.Image1[t.first_index + 9]->widget()->geometry().center()), big);
}

TEST_F(ThumbsTest, ThirtyThreeThousandPicturesOpenAndPagePastSixteenBitIndices) {
    make_pictures(33000, bmp_bytes(2, 2), "bmp");
    frmThumbnails& t = open();
    ASSERT_EQ(t.File1.list_count(), 33000);
    // Row 4100 starts at cell 32800, past 16-bit indices; while cell 9999 is enlarged no other is.
    t.VScroll1.set_value(1249);  // cells 9992 to 10047
    ASSERT_GE(t.Image1.size(), 10048u);
    t.Image1_Click(9999);
    t.Image1_Click(9998);
    EXPECT_TRUE(t.Image1[9998]->stretch());
    t.Image1_Click(9999);
    EXPECT_TRUE(t.Image1[9999]->stretch());
    EXPECT_EQ(t.zoom_index, frmThumbnails::kNoZoom);
    EXPECT_TRUE(t.Image1[9998]->visible());  // put back: this page's cells, no earlier one
    EXPECT_FALSE(t.Image1[9991]->visible());
    t.VScroll1.set_value(4100);
    EXPECT_EQ(t.first_index, 32800);
    ASSERT_EQ(t.Image1.size(), 4107u * 8);
    t.Image1_Click(32803);
    EXPECT_EQ(t.zoom_index, 32803);
    // Paged away from and back to while enlarged, it is a cell again.
    t.VScroll1.set_value(4099);
    EXPECT_EQ(t.Image1[32803]->widget()->size(), t.Image1[32792]->widget()->size());
}

TEST_F(ThumbsTest, NamesShowAsSpelledAndWholeUnderCellsInTooltipsAndInMessageBoxes) {
    home.write_file("pictures/<i>it.jpg", jpeg_bytes(40, 30));
    home.write_file("pictures/a.gif", gif_bytes(20, 20));
    frmThumbnails& t = open();
    ASSERT_EQ(t.Image1.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const std::string name = t.File1.list(static_cast<int>(i));
        const auto* label = static_cast<QLabel*>(t.lb_txt[i]->widget());
        EXPECT_EQ(as_shown(label->text(), label->textFormat()), name);
        EXPECT_EQ(as_shown(t.Image1[i]->widget()->toolTip(), Qt::AutoText), name);  // tooltips guess the format
    }
    // A message box of the real services, read while it is up.
    std::string box_shows;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box_shows = as_shown(box->text(), box->textFormat());
            box->accept();
        }
    });
    const std::string text = "The file /tmp/<b>x</b>.jpg cannot be opened";
    platform::real_services().message_box({text, platform::MsgIcon::Exclamation, platform::MsgButtons::Ok, ""});
    EXPECT_EQ(box_shows, text);
}

// Asked from inside the pump while the first page loads, and while a later one does.
TEST_F(ThumbsTest, ThumbnailViewAskedAgainWhileLoadingShowsTheNewFolder) {
    make_pictures(100);
    const std::string other = home.make_folder("other");
    for (const char* name : {"x.jpg", "y.jpg", "z.jpg"})
        home.write_file(std::string("other/") + name, jpeg_bytes(40, 30));
    frmBMPView& browser = start_browser();
    for (const bool first_page : {true, false}) {
        SCOPED_TRACE(first_page ? "while the first page loads" : "while a later page loads");
        browser.Dir1.set_path(pictures);
        bool armed = first_page, asked = false;
        on_pump = [&](const std::string& text) {
            if (!armed || asked || text.empty() || (first_page && text != loading(5))) return;
            asked = true;
            browser.Dir1.set_path(other);
            browser.Filter1.set_list_index(4);  // "Thumbnail View" again
        };
        browser.Filter1.set_list_index(4);
        if (!first_page) {
            ASSERT_TRUE(windows::thumbnails().loaded());
            armed = true;
            windows::thumbnails()().VScroll1.set_value(windows::thumbnails()().VScroll1.max());
        }
        ASSERT_TRUE(asked);
        ASSERT_TRUE(windows::thumbnails().loaded());
        frmThumbnails& t = windows::thumbnails()();
        EXPECT_EQ(t.File1.path(), other);
        ASSERT_EQ(t.Image1.size(), 3u);
        EXPECT_EQ(t.lb_txt[2]->caption(), "z.jpg");
    }
}

// Events from the page loop's pump coming back into the window; loaded pages are not loaded again.
TEST_F(ThumbsTest, PagesLoadOnceInOrderChangesWhileLoadingAreServedAfterwardsAndClosingStopsTheLoop) {
    make_pictures(200);
    frmThumbnails& t = open();
    t.form().show();
    ASSERT_EQ(messages.size(), 56u);
    messages.clear();
    bool inside = false;
    on_pump = [&](const std::string& text) {
        if (text == loading(58)) {
            inside = t.loading();
            t.Image1_Click(0);        // ignored: the loop owns the cells
            t.VScroll1.set_value(4);  // a drag going on while row 1 loads
            t.VScroll1.set_value(12);
        }
    };
    t.VScroll1.set_value(1);
    EXPECT_TRUE(inside);
    EXPECT_FALSE(t.loading());
    EXPECT_EQ(t.zoom_index, frmThumbnails::kNoZoom);
    EXPECT_EQ(t.first_index, 96);
    ASSERT_EQ(t.Image1.size(), 152u);  // up to the end of row 12's page
    // Every picture announced once, in order.
    ASSERT_EQ(messages.size(), 152u - 56u);
    for (size_t k = 0; k < messages.size(); ++k) EXPECT_EQ(messages[k], loading(57 + static_cast<int>(k)));
    for (size_t k = 56; k < t.Image1.size(); ++k) EXPECT_FALSE(t.Image1[k]->picture().empty()) << k;

    const long long decodes = platform::prefetch_decode_count();
    messages.clear();
    on_pump = nullptr;
    t.VScroll1.set_value(0);
    t.VScroll1.set_value(3);
    EXPECT_EQ(platform::prefetch_decode_count(), decodes);
    EXPECT_TRUE(messages.empty());
    // A page among loaded ones shows a page's cells, not one more.
    int shown = 0;
    for (const auto& cell : t.Image1) shown += cell->visible();
    EXPECT_EQ(shown, 56);

    // Closed while a page loads: the loop stops, the unload step runs at once (main_browser on the
    // saved folder), nothing after that picture is announced, and the window goes once the loop returned.
    QPointer<QWidget> window(t.form().window());
    ASSERT_FALSE(windows::main_browser_loaded());
    on_pump = [&](const std::string& text) {
        if (text == loading(160) && windows::thumbnails().loaded()) t.form().window()->close();
    };
    t.VScroll1.set_value(14);
    EXPECT_FALSE(windows::thumbnails().loaded());
    ASSERT_TRUE(windows::main_browser_loaded());
    EXPECT_EQ(windows::main_browser().File1.path(), pictures);
    EXPECT_EQ(last_message(), loading(160));
    on_pump = nullptr;
    settle();
    EXPECT_TRUE(window.isNull());
}

}  // namespace
