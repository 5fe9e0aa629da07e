// The controls in real windows under Wine: what the system's controls show
// and the user's notifications, negated scroll values, the read-only
// attribute, the frame's click and close, the tab order; pictures and labels
// as cells their form draws. (How the values and events follow from code is
// the same on every system.)
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "gui_env.h"  // <windows.h> first

#include <commctrl.h>

#include "platform/core/error.h"
#include "platform/core/types.h"
#include "platform/files/drives.h"
#include "platform/files/files.h"
#include "platform/pictures/win32/picture_pixels.h"

using namespace platform;
using Strings = std::vector<std::string>;

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

TEST_F(Controls, TheUsersScrollingMovesTowardTheMaximumAlsoWhenItIsTheSmaller) {
    auto& bar = form.add<ScrollBar>("bar", Orientation::Vertical);
    bar.set_max(-100);
    bar.set_small_change(10);
    bar.set_large_change(40);
    bar.set_value(-30);
    EXPECT_EQ(GetScrollPos(bar.widget(), SB_CTL), 30) << "the system's bar holds the negated values";
    bar.on_change = record("change");
    // The user's requests to the form, then keys the system's bar turns into the same requests.
    const struct { UINT message; WORD code; int value; } steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, -40}, {WM_VSCROLL, SB_PAGEDOWN, -80}, {WM_VSCROLL, SB_BOTTOM, -100},
        {WM_VSCROLL, SB_LINEDOWN, -100},  // at the end already: no change
        {WM_VSCROLL, SB_TOP, 0},         {WM_KEYDOWN, VK_END, -100},     {WM_KEYDOWN, VK_UP, -90}};
    for (const auto& step : steps) {
        if (step.message == WM_KEYDOWN) SendMessageA(bar.widget(), WM_KEYDOWN, step.code, 1);
        else SendMessageA(form.client(), WM_VSCROLL, step.code, reinterpret_cast<LPARAM>(bar.widget()));
        EXPECT_EQ(bar.value(), step.value) << step.code;
    }
    EXPECT_EQ(events.size(), 6u);
}

TEST_F(Controls, AFileListShowsTheFilesInTheOrderItListsThemAndClicksOnTheUsersChoices) {
    wintest::TempFolder folder;
    for (const char* name : {"b.JPG", "_a.gif", "C.bmp", "notes.txt", "A.jpg"}) folder.file(name);
    folder.file("locked.gif", "x", FILE_ATTRIBUTE_READONLY);
    auto& list = form.add<FileList>("File1");
    list.move(60, 135, 1935, 3405);
    list.set_pattern("*.GIF;*.JPG;*.BMP");
    list.set_path(folder.path());
    expect_shown_as_listed(list);

    // (The user's choice by a click, the end-to-end stepping shows.)
    list.on_click = record("click");
    list.set_list_index(0);
    // A mouse click on the entry already selected is a click too.
    RECT row{};
    SendMessageA(list.widget(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    SendMessageA(list.widget(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.left + 2, row.top + 2));
    SendMessageA(list.widget(), WM_LBUTTONUP, 0, MAKELPARAM(row.left + 2, row.top + 2));
    EXPECT_EQ(events.size(), 2u);
    // Held Down: the repeats move the selection at once, one click follows.
    for (int i = 0; i < 3; ++i) SendMessageA(list.widget(), WM_KEYDOWN, VK_DOWN, 1 | (1 << 30));
    EXPECT_EQ(list.list_index(), 3);
    EXPECT_EQ(events.size(), 2u);
    ASSERT_TRUE(eventually([&] { return events.size() == 3; }));
    // The read-only attribute hides a file only when read-only files are left out.
    list.set_show_read_only(false);
    ASSERT_EQ(list.list_count(), 4);
    expect_shown_as_listed(list);
}

TEST_F(Controls, DriveAndFolderListsFollowAPathWhateverTheCaseOfItsDriveLetter) {
    wintest::TempFolder folder;
    folder.folder("sub");
    const std::string path = folder.path();
    auto& drives = form.add<DriveList>("Drive1");
    auto& dirs = form.add<DirList>("Dir1");
    drives.set_drive(static_cast<char>(std::tolower(path[0])) + path.substr(1));
    EXPECT_EQ(drives.drive(), drive_of(read_drives(services().mount_table_path), path).spelled());

    dirs.set_path(path);
    // The drive's root first, the folder itself highlighted, then its sub-folders.
    const int n = dirs.list_count();
    ASSERT_GE(n, 3);
    EXPECT_EQ(SendMessageA(dirs.widget(), LB_GETCOUNT, 0, 0), n);
    EXPECT_EQ(SendMessageA(dirs.widget(), LB_GETCURSEL, 0, 0), n - 2);
    EXPECT_EQ(dirs.list(n - 1), dirs.path() + "\\sub");
    // Enter opens the highlighted entry.
    SendMessageA(dirs.widget(), LB_SETCURSEL, static_cast<WPARAM>(n - 1), 0);
    SendMessageA(dirs.widget(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(dirs.path(), path + "\\sub");
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
    EXPECT_THROW(combo.set_list_index(3), Error);
}

// (Window states, set and read, the end-to-end runs show: the maximised
// browser's caption in the frame's, and Auto Show's minimised frame.)
TEST_F(Controls, TheFrameTakesClicksOnItsBackgroundAndAsksBeforeItCloses) {
    Form frame(FormKind::Frame);
    frame.show();
    // A click on the frame's empty background.
    frame.on_click = record("click");
    SendMessageA(frame.client(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    // The frame's close box asks; the window stays for the handler to decide.
    frame.on_close = record("close");
    SendMessageA(frame.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(events, (Strings{"click", "close"}));
    EXPECT_TRUE(IsWindow(frame.window()));
}

TEST_F(Controls, TabFollowsTheOrderSet) {
    auto& text = form.add<TextBox>("txtNewName");
    auto& ok = form.add<CommandButton>("cmdOK");
    auto& cancel = form.add<CommandButton>("cmdCancel");
    form.set_tab_order({&text, &cancel, &ok});  // not the order they were made in
    form.show();
    text.set_focus();
    ASSERT_TRUE(text.has_focus());
    for (CommandButton* next : {&cancel, &ok}) {
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        PostMessageA(GetFocus(), WM_KEYUP, VK_TAB, 1 | (3u << 30));
        EXPECT_TRUE(eventually([&] { return next->has_focus(); })) << next->name();
    }
}

// --- Cells: pictures and labels with no window each ---

class Cells : public wintest::GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        form.set_client_size(400 * 15, 300 * 15);
        form.show();
    }
    // One colour (BGRA, premultiplied) all over.
    static Picture plain(int w, int h, std::uint32_t bgra) {
        return Picture(std::make_shared<PictureData>(PictureData{w, h, std::vector(std::size_t(w) * h, bgra)}));
    }
    COLORREF pixel(int x, int y) {
        UpdateWindow(form.client());
        HDC dc = GetDC(form.client());
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(form.client(), dc);
        return c;
    }
    void click(int x, int y) {
        PostMessageA(form.client(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(form.client(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        DoEvents();
    }
    // What the form's tooltip would show now.
    std::string tip_text() {
        HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
        while (tip && GetWindow(tip, GW_OWNER) != form.window())
            tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr);
        NMTTDISPINFOA info{};
        info.hdr = {tip, 0, TTN_GETDISPINFOA};
        SendMessageA(form.client(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return tip && info.lpszText ? info.lpszText : "(none)";
    }
};

constexpr std::uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

TEST_F(Cells, APictureAboveTheWindowsTopShowsTheRowsLeftAndATransparentOneTheBackground) {
    auto& image = form.add<PictureBox>("Image1");
    // 100 x 100 pixels, red above blue, from 60 pixels above the window's top.
    auto halves = std::make_shared<PictureData>(*plain(100, 100, kBlue).data());
    std::fill_n(halves->pixels.begin(), 100 * 50, kRed);  // the top half
    image.set_picture(Picture(halves));
    image.move(150, -60 * 15, 1500, 1500);
    EXPECT_EQ(pixel(20, 0), RGB(0, 0, 255));
    EXPECT_EQ(pixel(108, 39), RGB(0, 0, 255));
    image.set_top(-10 * 15);
    EXPECT_EQ(pixel(20, 0), RGB(255, 0, 0));
    EXPECT_EQ(pixel(20, 39), RGB(255, 0, 0));
    EXPECT_EQ(pixel(20, 40), RGB(0, 0, 255));
    // A transparent picture shows the window's background, not black.
    image.set_stretch(true);
    image.set_picture(plain(2, 2, 0x00000000));
    EXPECT_EQ(pixel(60, 70), GetSysColor(COLOR_BTNFACE));
}

// (One brought to the front takes the clicks: the end-to-end thumbnails show it.)
TEST_F(Cells, AClickReachesTheTopmostCellUnderItAndNoCellHasAWindow) {
    auto& a = form.add<PictureBox>("a");
    auto& b = form.add<PictureBox>("b");
    a.move(0, 0, 1500, 1500);
    b.move(750, 750, 1500, 1500);  // overlaps a from 50, 50
    a.on_click = record("a");
    b.on_click = record("b");
    form.on_click = record("form");
    click(75, 75);
    click(10, 10);
    b.set_visible(false);
    click(140, 140);  // only b was there
    const std::vector<std::string> clicked{"b", "a", "form"};
    EXPECT_EQ(events, clicked);
    // The tooltip asks the form for the text of the cell under the mouse.
    a.set_tooltip("a & b.jpg");
    SendMessageA(form.client(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(tip_text(), "a & b.jpg");
    SendMessageA(form.client(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(tip_text(), "");
    // A label above a picture takes its clicks.
    auto& label = form.add<Label>("label");
    label.move(0, 0, 300, 300);
    label.set_caption("a & b");
    label.fit_font_to_height();
    click(5, 5);
    EXPECT_EQ(events, clicked);
    // (A grid of many, the end-to-end thumbnails show.)
    EXPECT_EQ(GetWindow(form.client(), GW_CHILD), nullptr) << "a cell has a window of its own";
}

}  // namespace
