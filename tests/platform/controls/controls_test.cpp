// Control semantics: events only on change and inside the setter, nested events and their errors,
// 16-bit scroll values, twips rounding, the guard, and the user's mouse, keys and wheel.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QWheelEvent>

#include <future>
#include <map>

#include "platform/core/error.h"
#include "platform/controls/form.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "platform/pictures/picture.h"
#include "platform/pictures/picture_data.h"
#include "platform/pictures/picture_prefetch.h"
#include "support/app_env.h"
#include "support/checks.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "words/catalogue.h"

using namespace platform;
using Strings = std::vector<std::string>;

namespace {

class ControlsTest : public test_support::AppTest {
protected:
    Form form{FormKind::TopLevel};
    void show_active() {
        form.show();
        QApplication::setActiveWindow(form.window());
    }
};

void wheel_down(QWidget* w, QPointF at) {
    QWheelEvent down(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &down);
}

void click_row(QWidget* list, int row) {
    auto* w = static_cast<QListWidget*>(list);
    QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, w->visualItemRect(w->item(row)).center());
}

TEST_F(ControlsTest, EventsOnRealChangesNestInOrderAndErrorsReachTheSetter) {
    auto& outer = form.add<ScrollBar>("outer", Orientation::Horizontal);
    auto& inner = form.add<ScrollBar>("inner", Orientation::Horizontal);
    outer.set_max(10);
    inner.set_max(10);
    Strings order;
    outer.on_change = [&] {
        order.push_back("outer " + std::to_string(outer.value()));
        inner.set_value(outer.value());
        order.push_back("outer ends");
    };
    inner.on_change = [&] {
        order.push_back("inner");
        if (inner.value() == 7) throw Error(err::kFileNotFound, words::kCannotOpenPlain, {"gone"});
    };
    outer.set_value(3);
    outer.set_value(3);  // no change, no event
    outer.set_min(0);    // nor from a minimum or maximum it already has
    outer.set_max(10);
    EXPECT_EQ(order, (Strings{"outer 3", "inner", "outer ends"}));
    order.clear();
    outer.set_max(2);  // the value pulled into the new range is a change
    EXPECT_EQ(order, (Strings{"outer 2", "inner", "outer ends"}));
    outer.set_max(10);
    order.clear();
    EXPECT_THROW(outer.set_value(7), Error);
    EXPECT_EQ(order, (Strings{"outer 7", "inner"}));
}

TEST_F(ControlsTest, ScrollValuesAreSixteenBitAndTwipsRoundToPixels) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Vertical);
    bar.set_min(-32768);
    bar.set_max(32767);
    EXPECT_THROW(bar.set_max(32768), Error);
    EXPECT_EQ(bar.max(), 32767);  // the previous maximum kept
    EXPECT_THROW(bar.set_min(-32769), Error);
    auto& label = form.add<Label>("label");
    label.move(150, 300, 1500, 3000);  // 15 twips a pixel at 96 DPI
    EXPECT_EQ(label.widget()->geometry(), QRect(10, 20, 100, 200));
    // Twips round half to even, then to the nearest pixel: 22 is 1.47 px, 23 is 1.53 px.
    for (const auto& [twips, px] : std::vector<std::pair<double, int>>{{22, 1}, {22.5, 1}, {22.6, 2}, {23, 2}}) {
        label.set_left(twips);
        label.set_top(twips);
        label.set_width(twips);
        label.set_height(twips);
        EXPECT_EQ(label.widget()->geometry(), QRect(px, px, px, px)) << twips;
    }
    // Taken out of its form, a control is gone from view at once, before its memory goes.
    EXPECT_FALSE(form.take(label)->widget()->isVisibleTo(form.client()));
}

// A window minimised from code, where the window system then calls it normal (as Wayland does) or
// says nothing more: it counts as minimised only where minimising goes unreported, until brought back.
TEST_F(ControlsTest, AMinimiseTheWindowSystemDoesNotReportHoldsUntilTheWindowIsBroughtBack) {
    struct Row {
        const char* name;
        bool reported;
        std::function<void(Form&)> then;
        int expected;
        bool child = false;
        // The state before the minimise, which the window system also reports after it.
        Qt::WindowState before = Qt::WindowNoState;
        // Active when minimised; a window that then never leaves was put back by the window system.
        bool active = false;
    };
    const auto reported_as = [](Qt::WindowState s) { return [s](Form& f) { f.window()->setWindowState(s); }; };
    const auto activated = [](Form& f) { QApplication::setActiveWindow(f.window()); };
    const auto active_a_moment = [activated](Form& f) {
        activated(f);
        QApplication::setActiveWindow(nullptr);
    };
    const std::vector<Row> rows = {
        {"unreported", false, [](Form&) {}, kStateMinimized},
        {"reported: the real state", true, [](Form&) {}, kStateNormal},
        {"active when read", false, activated, kStateNormal},
        // Focus back from a closed list, then off the minimised window.
        {"active a moment before any read", false, active_a_moment, kStateMinimized},
        {"active a moment after a read", false, [&](Form& f) {
             f.window_state();
             active_a_moment(f);
         }, kStateNormal},
        {"hidden, shown again", false, [](Form& f) {
             f.hide();
             f.show();
             QApplication::setActiveWindow(nullptr);
         }, kStateNormal},
        {"set to normal", false, [](Form& f) { f.set_window_state(kStateNormal); }, kStateNormal},
        {"a reported maximise", false, reported_as(Qt::WindowMaximized), kStateMaximized},
        {"maximised before, reported maximised", false, [](Form&) {}, kStateMinimized, false, Qt::WindowMaximized},
        {"a child, restored in its frame", false, [](Form&) {}, kStateNormal, true},
        {"active throughout: minimised again", false, [](Form&) {}, kStateMinimized, false, {}, true},
        {"active throughout, read twice", false, [&](Form& f) {
             f.window_state();
             reported_as(Qt::WindowNoState)(f);  // put back again
         }, kStateNormal, false, {}, true},
        {"active throughout, a key pressed", false,
         [](Form& f) { QTest::keyClick(f.window()->windowHandle(), Qt::Key_A); }, kStateNormal, false, {}, true},
        {"active throughout, deactivated a moment", false, [activated](Form& f) {
             QApplication::setActiveWindow(nullptr);
             activated(f);
         }, kStateNormal, false, {}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        services.reports_minimised = [reported = row.reported] { return reported; };
        install();
        Form frame(FormKind::Frame);
        Form child(FormKind::Child, &frame);
        Form& f = row.child ? child : frame;
        frame.show();
        child.show();
        QApplication::setActiveWindow(row.active ? f.window() : nullptr);
        if (row.before == Qt::WindowMaximized) f.set_window_state(kStateMaximized);
        f.set_window_state(kStateMinimized);
        reported_as(row.before)(f);  // all the window system ever says
        row.then(f);
        EXPECT_EQ(f.window_state(), row.expected);
        // Only the minimise sent again leaves the window minimised in the toolkit.
        EXPECT_EQ(f.window()->isMinimized(), row.active && row.expected == kStateMinimized);
    }
}

// A decoder's unexpected exception reaches the guard from a worker or the taking thread; the guard
// shows a box and keeps running.
TEST_F(ControlsTest, UnexpectedExceptionsPassSkippedStepsToTheGuard) {
    PicturePrefetch prefetch(8, 8, [](const std::string&, int, int) -> Picture { throw std::logic_error("bug"); });
    prefetch.enqueue({{0, "/a.jpg"}});
    for (int index : {0, 1}) {
        recorded.boxes.clear();
        guarded([&] { skip_on_error([&] { prefetch.take(index, "/a.jpg"); }); });
        ASSERT_EQ(recorded.boxes.size(), 1u);
        EXPECT_EQ(recorded.boxes[0].text, "Glimmerbox met an unexpected problem.\n\nbug");
    }
}

// A bar runs from its minimum toward its maximum, also when the maximum lies below the minimum.
TEST_F(ControlsTest, ArrowsTrackAndKeysMoveTheValueTowardTheMaximum) {
    constexpr auto H = Orientation::Horizontal, V = Orientation::Vertical;
    struct Case { Orientation orientation; int max; std::string how; int expected; };
    const std::vector<Case> cases = {
        {H, 3000, "arrow", 2140}, {H, 3000, "track", 2230}, {H, 3000, "Right", 2140},
        {H, 1000, "arrow", 2120}, {H, 1000, "track", 2030}, {H, 1000, "Right", 2120},
        {H, 1000, "End", 1000},   {V, 3000, "Down", 2140},  {V, 3000, "PageDown", 2230},
        {V, 1000, "arrow", 2120}, {V, 3000, "wheel", 2160},  // three lines a notch
    };
    const std::map<std::string, Qt::Key> keys = {
        {"Right", Qt::Key_Right}, {"Down", Qt::Key_Down}, {"PageDown", Qt::Key_PageDown}, {"End", Qt::Key_End}};
    form.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how + " to " + std::to_string(c.max));
        auto& bar = form.add<ScrollBar>("bar", c.orientation);
        const bool across = c.orientation == H;
        bar.move(0, 0, across ? 3000 : 255, across ? 255 : 3000);
        bar.set_small_change(10);
        bar.set_large_change(100);
        bar.set_min(2130);
        bar.set_max(c.max);
        ASSERT_EQ(bar.value(), 2130);
        int changes = 0;
        bar.on_change = [&] { ++changes; };
        QWidget* w = bar.widget();
        // Near the bar's far end (the arrow), or three quarters along (the track beyond the thumb).
        auto along = [&](int far_px, int quarters) {
            const int length = across ? w->width() : w->height(), middle = (across ? w->height() : w->width()) / 2;
            const int at = far_px ? length - far_px : length * quarters / 4;
            return across ? QPoint(at, middle) : QPoint(middle, at);
        };
        if (c.how == "arrow") QTest::mouseClick(w, Qt::LeftButton, {}, along(3, 0));
        if (c.how == "track") QTest::mouseClick(w, Qt::LeftButton, {}, along(0, 3));
        if (keys.count(c.how)) QTest::keyClick(w, keys.at(c.how));
        if (c.how == "wheel") wheel_down(w, along(0, 2));
        EXPECT_EQ(bar.value(), c.expected);
        EXPECT_EQ(changes, 1);
        form.remove(bar);
    }
}

// Every move by key or mouse is a click, on the selected entry too (a held key's once it settles); from code only a change is.
TEST_F(ControlsTest, ListsClickOnEveryMoveAndOnTheSelectedEntry) {
    for (const char* n : {"a.jpg", "B.JPG", "c.jpg", "d.jpg"}) home.write_file(std::string("pictures/") + n, "x");
    for (const char* f : {"pictures/a", "pictures/b", "pictures/cam"}) home.make_folder(f);
    set_mounts({pictures + "/cam"});
    auto& files = form.add<FileList>("files");
    auto& dirs = form.add<DirList>("dirs");
    auto& other = form.add<CommandButton>("other");
    files.move(0, 0, 1935, 3405);
    dirs.move(2000, 0, 1935, 3405);
    files.set_pattern("*.JPG");
    files.set_path(pictures);
    dirs.set_path(pictures);
    int clicks = 0;
    files.on_click = dirs.on_click = [&] { ++clicks; };
    show_active();
    other.set_focus();
    files.set_focus();  // taking the focus selects nothing
    ASSERT_TRUE(files.has_focus());
    EXPECT_EQ(clicks, 0);
    // With nothing selected every move takes the first entry, End the last.
    for (const auto& [key, expected] : std::vector<std::pair<Qt::Key, int>>{
             {Qt::Key_Down, 0}, {Qt::Key_Up, 0}, {Qt::Key_PageDown, 0}, {Qt::Key_PageUp, 0},
             {Qt::Key_Home, 0}, {Qt::Key_End, 3}}) {
        files.refresh();
        clicks = 0;
        QTest::keyClick(files.widget(), key);
        EXPECT_EQ(files.list_index(), expected) << key;
        EXPECT_EQ(clicks, 1) << key;
    }
    files.set_list_index(3);
    EXPECT_EQ(clicks, 1);
    for (int outside : {-1, files.list_count()}) EXPECT_THROW(files.list(outside), Error) << outside;
    for (int n = 0; n < 2; ++n) click_row(files.widget(), 1);
    EXPECT_EQ(files.list_index(), 1);
    EXPECT_EQ(clicks, 3);
    // A held key's repeats move at once and click once, for the entry reached when they have been handled.
    std::vector<int> clicked;
    files.on_click = [&] { clicked.push_back(files.list_index()); };
    files.set_list_index(0);
    for (int n = 0; n < 3; ++n) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(files.widget(), &repeat);
    }
    EXPECT_EQ(files.list_index(), 3);
    for (int n = 0; n < 100 && clicked.size() < 2; ++n) QCoreApplication::processEvents();
    EXPECT_EQ(clicked, (std::vector<int>{0, 3}));
    files.on_click = dirs.on_click;

    // Another drive mounted inside this one's tree is reached through the drive list, not its folder.
    Strings entries;
    for (int i = 0; i < dirs.list_count(); ++i) entries.push_back(dirs.list(i));
    const int open = dirs.list_index();
    EXPECT_EQ(Strings(entries.begin() + open, entries.end()), (Strings{pictures, pictures + "/a", pictures + "/b"}));
    // Each open folder is indented under the one above it, its sub-folders under it.
    auto indent = [&](int row) {
        const QString text = static_cast<QListWidget*>(dirs.widget())->item(row)->text();
        return text.size() - text.trimmed().size();
    };
    for (int row = 1; row < dirs.list_count(); ++row) EXPECT_GT(indent(row), indent(std::min(row - 1, open))) << row;
    dirs.set_focus();
    clicks = 0;
    QTest::keyClick(dirs.widget(), Qt::Key_Down);
    QTest::keyClick(dirs.widget(), Qt::Key_Down);
    EXPECT_EQ(dirs.list_index(), open + 2);
    for (int n = 0; n < 2; ++n) click_row(dirs.widget(), open + 1);
    EXPECT_EQ(dirs.list_index(), open + 1);
    EXPECT_EQ(clicks, 4);
}

// A chosen entry runs its action, typed text and the wheel never do; the drop-down list shows its entries whole.
TEST_F(ControlsTest, ComboRunsEveryChosenEntryButNeverTypedTextAndListsEntriesWhole) {
    auto& combo = form.add<ComboBox>("combo");
    combo.move(60, 5775, 1935, 315);
    for (const char* text : {"zero", "one", "Graphics files (*.JPG;*.GIF;*.BMP;*.WMF;*.ICO)"}) combo.add_item(text);
    int clicks = 0;
    combo.on_click = [&] { ++clicks; };
    combo.set_list_index(0);
    combo.set_list_index(0);
    EXPECT_EQ(clicks, 2);  // from code, even without a change
    auto& other = form.add<CommandButton>("other");
    show_active();
    QLineEdit* field = static_cast<QComboBox*>(combo.widget())->lineEdit();
    for (const char* typed : {"one", "on"}) {  // in full, or completed by the box
        combo.set_focus();
        field->clear();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
        other.set_focus();
    }
    EXPECT_EQ(clicks, 2);
    for (int outside : {-2, 3}) EXPECT_THROW(combo.set_list_index(outside), Error) << outside;
    combo.set_list_index(2);
    EXPECT_EQ(field->cursorPosition(), 0);  // a long entry shows its start
    // The wheel over the closed box chooses nothing.
    combo.set_list_index(0);
    clicks = 0;
    wheel_down(combo.widget(), QPointF(5, 5));
    EXPECT_EQ(clicks, 0);
    auto* box = static_cast<QComboBox*>(combo.widget());
    while (box->count() <= box->maxVisibleItems()) combo.add_item("more");  // the list scrolls
    box->showPopup();
    QAbstractItemView* view = box->view();
    ASSERT_TRUE(view->isVisible());
    EXPECT_GE(view->viewport()->width(), view->sizeHintForColumn(0));
    EXPECT_GT(view->sizeHintForColumn(0), box->width());  // the entries really are longer
    box->hidePopup();
}

// Counts the paints a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// A picture shown part first whose file is rewritten before its rest is decoded: the rest brings
// the new picture whole, and the box is painted again from it, never left showing the old part.
TEST_F(ControlsTest, APictureRewrittenBeforeItsRestIsPaintedAgainFromTheNewFile) {
    namespace ts = test_support;
    ts::TempDir dir;
    const std::string path = dir.write_file("photo.jpg", ts::encode_with_qt(ts::solid_image(2000, 1500, Qt::red), "JPEG"));
    // The window shows less than the part, so that painting never waits for the rest.
    platform::set_visible_part(800, 600);
    form.window()->resize(300, 200);
    std::promise<void> go;
    platform::on_rest_thread([gate = go.get_future().share()] { gate.wait(); });
    PictureBox box(form, "Image1");
    show_active();
    box.set_picture(platform::load_picture(path));
    ASSERT_TRUE(box.picture().data()->rest);
    PaintCounter counter;
    box.widget()->installEventFilter(&counter);
    ASSERT_TRUE(ts::eventually([&] {
        QCoreApplication::processEvents();
        return counter.paints > 0;
    }));
    dir.write_file("photo.jpg", ts::encode_with_qt(ts::solid_image(2000, 1500, Qt::blue), "JPEG"));
    const int before = counter.paints;
    go.set_value();
    EXPECT_TRUE(ts::eventually([&] {
        QCoreApplication::processEvents();
        return box.picture().data()->rest->replaced() && counter.paints > before;
    }));
    platform::configure_picture_decoding();
}

}  // namespace
