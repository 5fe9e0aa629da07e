// The semantics every window relies on: events from code only on a real
// change and before the setter returns, errors of nested events reaching the
// setter's caller, 16-bit scroll values, twips rounding, the guard.
#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/form.h"
#include "platform/runtime.h"
#include "platform/types.h"
#include "support/app_env.h"

using namespace platform;

namespace {

class ControlsTest : public test_support::AppTest {
protected:
    ControlsTest() { install_services(services); }
    Form form{FormKind::TopLevel};
};

TEST_F(ControlsTest, ScrollBarRaisesChangeOnlyOnRealChangeAndBeforeReturning) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Horizontal);
    bar.set_max(100);
    std::vector<int> seen;
    bar.on_change = [&] { seen.push_back(bar.value()); };
    bar.set_value(10);
    ASSERT_EQ(seen, std::vector<int>{10});  // raised inside the setter
    bar.set_value(10);
    EXPECT_EQ(seen.size(), 1u);
    bar.set_max(5);  // the value is pulled into the new range: a real change
    EXPECT_EQ(seen, (std::vector<int>{10, 5}));
}

TEST_F(ControlsTest, ScrollBarValuesAreSixteenBit) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Vertical);
    bar.set_min(-32768);
    bar.set_max(32767);
    try {
        bar.set_max(32768);
        FAIL() << "no overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::kOverflow);
    }
    EXPECT_EQ(bar.max(), 32767);  // the previous maximum stays
    EXPECT_THROW(bar.set_min(-32769), Error);
    EXPECT_THROW(bar.set_value(40000), Error);
    bar.set_min(100);
    bar.set_max(200);
    try {
        bar.set_value(99);
        FAIL() << "value below the minimum accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), err::kInvalidPropertyValue);
    }
    // A maximum below the minimum is a reversed bar; its range still holds.
    bar.set_max(50);
    bar.set_value(60);
    EXPECT_EQ(bar.value(), 60);
}

TEST_F(ControlsTest, UserDragRaisesScrollThenChangeOnRelease) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Horizontal);
    bar.set_max(100);
    std::vector<std::string> events;
    bar.on_change = [&] { events.push_back("change " + std::to_string(bar.value())); };
    bar.on_scroll = [&] { events.push_back("scroll " + std::to_string(bar.value())); };
    auto* w = static_cast<QScrollBar*>(bar.widget());
    w->setSliderDown(true);
    w->setValue(30);
    w->setValue(40);
    w->setSliderDown(false);
    EXPECT_EQ(events, (std::vector<std::string>{"scroll 30", "scroll 40", "change 40"}));
    w->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(events.back(), "change 41");
    EXPECT_EQ(events.size(), 4u);  // never raised twice
}

TEST_F(ControlsTest, NestedEventsRunInOrderAndTheirErrorsReachTheSetter) {
    auto& outer = form.add<ScrollBar>("outer", Orientation::Horizontal);
    auto& inner = form.add<ScrollBar>("inner", Orientation::Horizontal);
    outer.set_max(10);
    inner.set_max(10);
    std::vector<std::string> order;
    outer.on_change = [&] {
        order.push_back("outer begins");
        inner.set_value(outer.value());
        order.push_back("outer ends");
    };
    inner.on_change = [&] {
        order.push_back("inner");
        if (inner.value() == 7) throw Error(err::kFileNotFound, "gone");
    };
    outer.set_value(3);
    EXPECT_EQ(order, (std::vector<std::string>{"outer begins", "inner", "outer ends"}));
    order.clear();
    EXPECT_THROW(outer.set_value(7), Error);
    EXPECT_EQ(order, (std::vector<std::string>{"outer begins", "inner"}));
    // The value was stored before the event ran.
    EXPECT_EQ(outer.value(), 7);
}

TEST_F(ControlsTest, SkippedStepsSwallowOnlyPlatformErrors) {
    int after = 0;
    skip_on_error([] { throw Error(err::kFileNotFound, "gone"); });
    ++after;
    EXPECT_EQ(after, 1);
    EXPECT_THROW(skip_on_error([] { throw std::logic_error("bug"); }), std::logic_error);
}

TEST_F(ControlsTest, TheGuardShowsWhatIsLeftAndKeepsRunning) {
    auto& button = form.add<CommandButton>("button");
    button.on_click = [] { throw Error(err::kPathNotFound, "The folder /x was not found."); };
    button.press();
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find("The folder /x was not found."), std::string::npos);
    button.on_click = [] {};
    button.press();
    EXPECT_EQ(recorded.boxes.size(), 1u);
}

TEST_F(ControlsTest, TwipsRoundHalvesToEven) {
    EXPECT_EQ(round_half_even(2.5), 2);
    EXPECT_EQ(round_half_even(3.5), 4);
    EXPECT_EQ(round_half_even(-2.5), -2);
    EXPECT_EQ(round_half_even(6.5), 6);
    auto& label = form.add<Label>("label");
    label.set_left(100.5);
    label.set_top(101.5);
    EXPECT_EQ(label.left(), 100);
    EXPECT_EQ(label.top(), 102);
    // 15 twips a pixel at 96 DPI.
    label.move(150, 300, 1500, 3000);
    EXPECT_EQ(label.widget()->geometry(), QRect(10, 20, 100, 200));
}

TEST_F(ControlsTest, FileListSelectionFromCodeRaisesClickOnlyOnChange) {
    home.write_file("pictures/a.jpg", "x");
    home.write_file("pictures/B.JPG", "x");
    home.write_file("pictures/c.txt", "x");
    auto& list = form.add<FileList>("list");
    list.set_pattern("*.JPG");
    list.set_path(pictures);
    ASSERT_EQ(list.list_count(), 2);
    EXPECT_EQ(list.list(0), "a.jpg");
    EXPECT_EQ(list.list(1), "B.JPG");
    int clicks = 0;
    list.on_click = [&] { ++clicks; };
    list.set_list_index(1);
    list.set_list_index(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.file_name(), "B.JPG");
    EXPECT_THROW(list.set_list_index(2), Error);
    list.refresh();
    EXPECT_EQ(list.list_index(), -1);
    EXPECT_EQ(list.file_name(), "");
    EXPECT_THROW(list.set_path(home.file("missing")), Error);
    EXPECT_EQ(list.path(), pictures);  // unchanged after the failure
}

TEST_F(ControlsTest, ComboSelectionFromCodeAlwaysRunsTheEntry) {
    auto& combo = form.add<ComboBox>("combo");
    combo.add_item("zero");
    combo.add_item("one");
    int clicks = 0;
    combo.on_click = [&] { ++clicks; };
    combo.set_list_index(0);
    combo.set_list_index(0);
    EXPECT_EQ(clicks, 2);
    EXPECT_THROW(combo.set_list_index(2), Error);
}

TEST_F(ControlsTest, ComboTypedTextRunsNothingAndAddsNoEntry) {
    auto& combo = form.add<ComboBox>("combo");
    combo.add_item("zero");
    int clicks = 0;
    combo.on_click = [&] { ++clicks; };
    form.show();
    QTest::keyClicks(combo.widget(), "typed");
    QTest::keyClick(combo.widget(), Qt::Key_Return);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(combo.list_count(), 1);
}

TEST_F(ControlsTest, DefaultAndCancelButtonsAnswerEnterAndEsc) {
    auto& text = form.add<TextBox>("text");
    auto& ok = form.add<CommandButton>("ok");
    auto& cancel = form.add<CommandButton>("cancel");
    ok.set_default(true);
    cancel.set_cancel(true);
    std::vector<std::string> pressed;
    ok.on_click = [&] { pressed.push_back("ok"); };
    cancel.on_click = [&] { pressed.push_back("cancel"); };
    form.show();
    QApplication::setActiveWindow(form.window());
    text.set_focus();
    QTest::keyClick(text.widget(), Qt::Key_Return);
    QTest::keyClick(text.widget(), Qt::Key_Escape);
    EXPECT_EQ(pressed, (std::vector<std::string>{"ok", "cancel"}));
}

}  // namespace
