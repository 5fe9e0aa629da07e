// The semantics every window rests on: events from code only on a real change
// and inside the setter, nested events in order with their errors reaching the
// setter's caller, 16-bit scroll values, twips rounding, the guard, and the two
// list faults once fixed (combo typed text, file list focus).
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "platform/core/error.h"
#include "platform/controls/form.h"
#include "platform/core/types.h"
#include "support/app_env.h"

using namespace platform;
using Strings = std::vector<std::string>;

namespace {

class ControlsTest : public test_support::AppTest {
protected:
    Form form{FormKind::TopLevel};
};

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
        if (inner.value() == 7) throw Error(err::kFileNotFound, "gone");
    };
    outer.set_value(3);
    outer.set_value(3);  // no change, no event
    EXPECT_EQ(order, (Strings{"outer 3", "inner", "outer ends"}));
    order.clear();
    outer.set_max(2);  // the value pulled into the new range is a change
    EXPECT_EQ(order, (Strings{"outer 2", "inner", "outer ends"}));
    outer.set_max(10);
    order.clear();
    EXPECT_THROW(outer.set_value(7), Error);
    EXPECT_EQ(order, (Strings{"outer 7", "inner"}));
    EXPECT_EQ(outer.value(), 7);  // stored before the event ran
}

TEST_F(ControlsTest, ScrollValuesAreSixteenBitAndOverflowKeepsThePreviousMaximum) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Vertical);
    bar.set_min(-32768);
    bar.set_max(32767);
    try {
        bar.set_max(32768);
        ADD_FAILURE() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::kOverflow);
    }
    EXPECT_EQ(bar.max(), 32767);
    EXPECT_THROW(bar.set_min(-32769), Error);
}

TEST_F(ControlsTest, TwipsRoundHalvesToEven) {
    for (const auto& [in, out] : std::vector<std::pair<double, long long>>{
             {2.5, 2}, {3.5, 4}, {-2.5, -2}, {6.5, 6}, {100.5, 100}, {101.5, 102}})
        EXPECT_EQ(round_half_even(in), out) << in;
    auto& label = form.add<Label>("label");
    label.move(150, 300, 1500, 3000);  // 15 twips a pixel at 96 DPI
    EXPECT_EQ(label.widget()->geometry(), QRect(10, 20, 100, 200));
}

TEST_F(ControlsTest, TheGuardShowsABoxAndKeepsRunning) {
    auto& button = form.add<CommandButton>("button");
    int pressed = 0;
    button.on_click = [&] {
        if (++pressed == 1) throw Error(err::kPathNotFound, "The folder /x was not found.");
    };
    button.press();
    button.press();
    EXPECT_EQ(pressed, 2);
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find("The folder /x was not found."), std::string::npos);
}

TEST_F(ControlsTest, FileListFocusSelectsNothingAndTheFirstDownTakesTheFirstEntry) {
    home.write_file("pictures/a.jpg", "x");
    home.write_file("pictures/B.JPG", "x");
    auto& list = form.add<FileList>("list");
    auto& other = form.add<CommandButton>("other");
    list.set_pattern("*.JPG");
    list.set_path(pictures);
    int clicks = 0;
    list.on_click = [&] { ++clicks; };
    form.show();
    QApplication::setActiveWindow(form.window());
    other.set_focus();
    list.set_focus();
    ASSERT_TRUE(list.has_focus());
    EXPECT_EQ(clicks, 0);
    QTest::keyClick(list.widget(), Qt::Key_Down);  // the first Down takes the first entry
    EXPECT_EQ(list.list_index(), 0);
    EXPECT_EQ(clicks, 1);
    list.set_list_index(0);  // from code, only on a change
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, ComboRunsEveryChosenEntryButNeverTypedText) {
    auto& combo = form.add<ComboBox>("combo");
    combo.add_item("zero");
    combo.add_item("one");
    int clicks = 0;
    combo.on_click = [&] { ++clicks; };
    combo.set_list_index(0);
    combo.set_list_index(0);
    EXPECT_EQ(clicks, 2);  // from code, even without a change
    auto& other = form.add<CommandButton>("other");
    form.show();
    QApplication::setActiveWindow(form.window());
    QLineEdit* field = static_cast<QComboBox*>(combo.widget())->lineEdit();
    for (const char* typed : {"one", "on"}) {  // in full, or completed by the box
        combo.set_focus();
        field->clear();
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Return);
        other.set_focus();
    }
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(combo.list_count(), 2);
}

}  // namespace
