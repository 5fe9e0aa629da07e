#pragma once
// The window behind a form on Win32, and what it keeps of its cells.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/controls/form.h"
#include "platform/pictures/win32/picture_pixels.h"

namespace platform {

// What the form keeps of a picture or a label it draws.
struct CellState {
    long long z = 0;  // drawn above the cells of lower z
    // A label's font (null: the dialog font) and how it was asked for.
    HFONT font = nullptr;
    std::string family;
    double points = 0;
    bool bold = false;
    // A picture with transparency, laid over the background once.
    std::shared_ptr<const PictureData> laid_from;
    std::vector<std::uint32_t> laid;
};

struct Form::Impl {
    HWND window = nullptr;  // the frame, the child window or the window of its own
    HWND client = nullptr;  // where controls live: the frame's MDI client, else the window
    HWND tooltip = nullptr;
    bool cell_tool = false;  // the tooltip asks the form for a cell's text
    std::string tip_text;    // the text it was last given
    std::string caption;
    int pending_state = 0;   // the state a hidden window takes when shown
    bool closing_silently = false;
    HWND last_focus = nullptr;  // given back when the window is active again
    int next_id = 100;          // control ids; 1 and 2 are Enter's and Esc's
    std::unordered_map<const Control*, CellState> cells;
    long long front_z = 0, back_z = 0;
    const Control* pressed = nullptr;  // the picture a button went down on
    const Control* hover = nullptr;    // the cell under the mouse
};

// Draws a picture box's picture into its box (picture_box.cpp).
void draw_picture(HDC dc, const RECT& box, const PictureBox& picture, CellState& state);

}  // namespace platform
