// The controls in real windows under Wine: events from code once and only on
// a change, the user's notifications, 16-bit scroll values, lists as listed,
// the read-only attribute, window states, dialog keys.
#include <cctype>
#include <string>

#include "gui_env.h"
#include "platform/core/error.h"
#include "platform/core/types.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "temp_folder.h"
#include "words/catalogue.h"

using namespace platform;
using Strings = std::vector<std::string>;
using wintest::error_number;

namespace {

using Controls = wintest::GuiTest;

// The system's list box shows the list's entries in the list's order.
void expect_shown_as_listed(const FileList& list) {
    ASSERT_EQ(SendMessageA(list.widget(), LB_GETCOUNT, 0, 0), list.list_count());
    for (int i = 0; i < list.list_count(); ++i) {
        char text[MAX_PATH] = {};
        SendMessageA(list.widget(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::string(text), list.list(i));
    }
}

TEST_F(Controls, ScrollEventsComeOnceOnRealChangesAndTheirErrorsReachTheSetter) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Horizontal);
    bar.set_max(10);
    Strings seen;
    bar.on_change = [&] {
        seen.push_back(std::to_string(bar.value()));
        if (bar.value() == 7) throw Error(err::kFileNotFound, words::kCannotOpenPlain, {"gone"});
    };
    bar.set_value(3);
    bar.set_value(3);
    bar.set_max(10);
    EXPECT_EQ(GetScrollPos(bar.widget(), SB_CTL), 3);
    EXPECT_EQ(error_number([&] { bar.set_value(7); }), err::kFileNotFound);
    EXPECT_EQ(bar.value(), 7);  // stored before the event ran
    // 16 bits: a maximum outside them is refused and the old one kept.
    EXPECT_EQ(error_number([&] { bar.set_max(32768); }), err::kOverflow);
    EXPECT_EQ(bar.max(), 10);
    bar.set_max(-32768);  // pulls the value in: a change
    EXPECT_EQ(seen, (Strings{"3", "7", "0"}));
}

TEST_F(Controls, TheUsersScrollingMovesTowardTheMaximumAlsoWhenItIsTheSmaller) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Vertical);
    bar.set_max(-100);
    bar.set_small_change(10);
    bar.set_large_change(40);
    bar.on_change = record("change");
    // The user's requests to the form, then keys the system's bar turns into the same requests.
    const struct { UINT message; WORD code; int value; } steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, -10}, {WM_VSCROLL, SB_PAGEDOWN, -50}, {WM_VSCROLL, SB_BOTTOM, -100},
        {WM_VSCROLL, SB_LINEDOWN, -100},  // at the end already: no change
        {WM_VSCROLL, SB_TOP, 0},         {WM_KEYDOWN, VK_END, -100},     {WM_KEYDOWN, VK_UP, -90}};
    for (const auto& step : steps) {
        if (step.message == WM_KEYDOWN) SendMessageA(bar.widget(), WM_KEYDOWN, step.code, 1);
        else SendMessageA(form.client(), WM_VSCROLL, step.code, reinterpret_cast<LPARAM>(bar.widget()));
        EXPECT_EQ(bar.value(), step.value) << step.code;
    }
    EXPECT_EQ(events.size(), 6u);
}

TEST_F(Controls, AFileListShowsTheFilesInTheOrderItListsThemAndClicksOnChange) {
    wintest::TempFolder folder;
    for (const char* name : {"b.JPG", "_a.gif", "C.bmp", "notes.txt", "A.jpg"}) folder.file(name);
    folder.file("locked.gif", "x", FILE_ATTRIBUTE_READONLY);
    auto& list = form.add<FileList>("File1");
    list.move(60, 135, 1935, 3405);
    list.set_pattern("*.GIF;*.JPG;*.BMP");
    list.set_path(folder.path());
    ASSERT_EQ(list.list_count(), 5);
    expect_shown_as_listed(list);

    list.on_click = record("click");
    list.set_list_index(2);
    list.set_list_index(2);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(SendMessageA(list.widget(), LB_GETCURSEL, 0, 0), 2);
    // The user's choice, and the same choice again by a notification.
    SendMessageA(list.widget(), LB_SETCURSEL, 0, 0);
    notify(list, LBN_SELCHANGE);
    notify(list, LBN_SELCHANGE);
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(list.file_name(), list.list(0));
    // A mouse click on the entry already selected is a click too.
    RECT row{};
    SendMessageA(list.widget(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    SendMessageA(list.widget(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left + 2, row.top + 2));
    SendMessageA(list.widget(), WM_LBUTTONUP, 0, MAKELPARAM(row.left + 2, row.top + 2));
    EXPECT_EQ(events.size(), 3u);
    EXPECT_EQ(list.list_index(), 0);
    // Held Down: the repeats move the selection at once, one click follows.
    for (int i = 0; i < 3; ++i) SendMessageA(list.widget(), WM_KEYDOWN, VK_DOWN, 1 | (1 << 30));
    EXPECT_EQ(list.list_index(), 3);
    EXPECT_EQ(events.size(), 3u);
    ASSERT_TRUE(eventually([&] { return events.size() == 4; }));
    // A key reaches the handler with its classic code.
    list.on_key_down = [&](std::int16_t& code, int) { events.push_back("key " + std::to_string(code)); };
    SendMessageA(list.widget(), WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(events.back(), "key 46");
    // The read-only attribute hides a file only when read-only files are left out.
    list.set_show_read_only(false);
    expect_shown_as_listed(list);
    ASSERT_EQ(list.list_count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_NE(list.list(i), "locked.gif");
}

TEST_F(Controls, DriveAndFolderListsFollowAPathAndChangeOnlyWhenItChanges) {
    wintest::TempFolder folder;
    folder.file("a.jpg");
    folder.folder("sub");
    const std::string path = folder.path();
    auto& drives = form.add<DriveList>("Drive1");
    auto& dirs = form.add<DirList>("Dir1");
    drives.on_change = record("drive");
    dirs.on_change = record("dir");

    // A path names the drive that holds it, whatever the case of its letter.
    const std::string before = drives.drive();
    EXPECT_THROW(drives.set_drive("Q:\\ [none]"), Error);  // no such drive here
    drives.set_drive(static_cast<char>(std::tolower(path[0])) + path.substr(1));
    const std::string drive = drives.drive();
    drives.set_drive(path);
    EXPECT_EQ(drive, drive_of(read_drives(services().mount_table_path), path).spelled());
    EXPECT_EQ(events, drive == before ? Strings{} : Strings{"drive"});
    events.clear();

    dirs.set_path(path);
    dirs.set_path(path);
    EXPECT_EQ(events, Strings{"dir"});
    // The drive's root first, the folder itself highlighted, then its sub-folders.
    const int n = dirs.list_count();
    ASSERT_GE(n, 3);
    EXPECT_EQ(parent_folder(dirs.list(0)), dirs.list(0));
    EXPECT_EQ(dirs.list(dirs.list_index()), dirs.path());
    EXPECT_EQ(dirs.list(n - 1), dirs.path() + "\\sub");
    EXPECT_EQ(SendMessageA(dirs.widget(), LB_GETCOUNT, 0, 0), n);
    EXPECT_EQ(error_number([&] { dirs.set_path(path + "\\gone"); }), err::kPathNotFound);
    EXPECT_EQ(dirs.list_count(), n);
    // Enter opens the highlighted entry.
    SendMessageA(dirs.widget(), LB_SETCURSEL, static_cast<WPARAM>(n - 1), 0);
    SendMessageA(dirs.widget(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(dirs.path(), path + "\\sub");
    EXPECT_EQ(events, (Strings{"dir", "dir"}));
}

TEST_F(Controls, AComboRunsEveryChoiceAlsoOfTheEntryAlreadyChosenButNeverTypedText) {
    auto& combo = form.add<ComboBox>("Filter1");
    for (const char* item : {"zero", "one", "two"}) combo.add_item(item);
    Strings chosen;
    combo.on_click = [&] { chosen.push_back(combo.list(combo.list_index())); };
    combo.set_list_index(1);
    combo.set_list_index(1);
    SendMessageA(combo.widget(), CB_SETCURSEL, 2, 0);
    notify(combo, CBN_SELENDOK);
    notify(combo, CBN_SELENDOK);
    EXPECT_EQ(chosen, (Strings{"one", "one", "two", "two"}));
    // Typed text is only text: a letter never chooses the entry it starts.
    combo.set_focus();
    for (const char c : std::string("ze")) SendMessageA(GetFocus(), WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ(chosen.size(), 4u);
    EXPECT_EQ(combo.list_index(), 2);
    EXPECT_EQ(combo.list(0), "zero");  // in the order added, not sorted
    EXPECT_THROW(combo.set_list_index(3), Error);
}

TEST_F(Controls, WindowStatesAreTakenAtShowAndReadFromTheWindow) {
    EXPECT_EQ(form.window_state(), kStateNormal);
    form.set_window_state(kStateMaximized);
    EXPECT_FALSE(form.is_shown());
    EXPECT_EQ(form.window_state(), kStateMaximized);
    form.show();
    EXPECT_TRUE(IsZoomed(form.window()));
    form.set_window_state(kStateMinimized);
    EXPECT_TRUE(IsIconic(form.window()));
    EXPECT_EQ(form.window_state(), kStateMinimized);
    form.set_window_state(kStateNormal);
    EXPECT_EQ(form.window_state(), kStateNormal);

    // A child shown maximised inside its frame; the frame's caption and the
    // child's own.
    Form frame(FormKind::Frame);
    frame.show();
    Form child(FormKind::Child, &frame);
    child.set_caption("Glimmerbox - Tarvolin");
    child.set_window_state(kStateMaximized);
    child.show();
    EXPECT_EQ(GetParent(child.window()), frame.client());
    EXPECT_TRUE(IsZoomed(child.window()));
    EXPECT_EQ(child.window_state(), kStateMaximized);
    EXPECT_EQ(child.caption(), "Glimmerbox - Tarvolin");
    // A click on the frame's empty background.
    frame.on_click = record("click");
    SendMessageA(frame.client(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    // The frame's close box asks; the window stays for the handler to decide.
    frame.on_close = record("close");
    SendMessageA(frame.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(events, (Strings{"click", "close"}));
    EXPECT_TRUE(IsWindow(frame.window()));
}

TEST_F(Controls, EnterPressesTheDefaultButtonEscTheCancelOneAndTabFollowsTheOrder) {
    auto& text = form.add<TextBox>("txtNewName");
    auto& ok = form.add<CommandButton>("cmdOK");
    auto& cancel = form.add<CommandButton>("cmdCancel");
    ok.set_default(true);
    cancel.set_cancel(true);
    form.set_tab_order({&text, &ok, &cancel});
    ok.on_click = record("ok");
    cancel.on_click = record("cancel");
    form.show();
    text.set_focus();
    ASSERT_TRUE(text.has_focus());
    auto key = [&](WPARAM vk) {
        PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
        PostMessageA(GetFocus(), WM_KEYUP, vk, 1 | (3u << 30));
    };
    key(VK_RETURN);
    key(VK_ESCAPE);
    ASSERT_TRUE(eventually([&] { return events.size() == 2; }));
    EXPECT_EQ(events, (Strings{"ok", "cancel"}));
    for (CommandButton* next : {&ok, &cancel}) {
        key(VK_TAB);
        EXPECT_TRUE(eventually([&] { return next->has_focus(); })) << next->name();
    }
}

TEST_F(Controls, ATimerTicksUntilItsIntervalIsZero) {
    Timer& timer = form.add_timer();
    int ticks = 0;
    timer.on_timer = [&] {
        if (++ticks == 2) timer.set_interval(0);
    };
    timer.set_interval(10);
    ASSERT_TRUE(eventually([&] { return ticks == 2; }));
    EXPECT_EQ(timer.interval(), 0);
    // A stopped timer's tick never comes: one more started timer's two ticks
    // pass while the first stays at two.
    Timer& other = form.add_timer();
    int other_ticks = 0;
    other.on_timer = [&] { ++other_ticks; };
    other.set_interval(10);
    ASSERT_TRUE(eventually([&] { return other_ticks >= 3; }));
    EXPECT_EQ(ticks, 2);
}

}  // namespace
