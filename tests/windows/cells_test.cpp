// Pictures and labels are cells their form draws: no window each, drawn also
// in part, with transparency over the background, and a click reaches the
// topmost cell under it. (At their own size and stretched, the end-to-end
// thumbnails show them.)
#include <algorithm>
#include <memory>
#include <string>

#include "gui_env.h"  // <windows.h> first

#include <commctrl.h>

#include "platform/pictures/win32/picture_pixels.h"

using namespace platform;

namespace {

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

TEST_F(Cells, AGridOfPicturesAndLabelsMakesNoWindows) {
    for (int i = 0; i < 3000; ++i) {
        auto& image = form.add<PictureBox>("Image1");
        auto& label = form.add<Label>("lb_txt");
        image.move(i % 40 * 150, i / 40 * 150, 120, 120);
        label.move(i % 40 * 150, i / 40 * 150 + 120, 120, 30);
        label.fit_font_to_height();
    }
    EXPECT_EQ(GetWindow(form.client(), GW_CHILD), nullptr) << "a window of its own";
}

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
    // Not black.
    image.set_stretch(true);
    image.set_picture(plain(2, 2, 0x00000000));
    EXPECT_EQ(pixel(60, 70), GetSysColor(COLOR_BTNFACE));
}

TEST_F(Cells, AClickReachesTheTopmostPictureUnderIt) {
    auto& a = form.add<PictureBox>("a");
    auto& b = form.add<PictureBox>("b");
    a.move(0, 0, 1500, 1500);
    b.move(750, 750, 1500, 1500);  // overlaps a from 50, 50
    a.on_click = record("a");
    b.on_click = record("b");
    form.on_click = record("form");
    click(75, 75);
    a.bring_to_front();
    click(75, 75);
    click(10, 10);
    b.set_visible(false);
    click(140, 140);  // only b was there
    const std::vector<std::string> clicked{"b", "a", "a", "form"};
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
    click(5, 5);
    EXPECT_EQ(events, clicked);
}

}  // namespace
