#pragma once
// Measures of the thumbnail grid, in twips.

namespace thumbs {

inline constexpr int kMargin = 240;       // top margin, and left of the first column

// A cell is a square picture box with its file name in one line under it.
// The rest of the grid follows from these, so another cell size is an edit
// of kImageSize alone.
inline constexpr int kImageSize = 735;     // a cell's picture box, square
inline constexpr int kLabelOverhang = 315; // how far a name may run past its picture's right edge
inline constexpr int kLabelHeight = 195;   // one line of a name
inline constexpr int kColumnGap = 240;     // from a name's end to the next picture
inline constexpr int kRowGap = 270;        // from a name to the picture below it

inline constexpr int kLabelWidth = kImageSize + kLabelOverhang;        // 1050
inline constexpr int kColumnPitch = kLabelWidth + kColumnGap;          // 1290
inline constexpr int kRowPitch = kImageSize + kLabelHeight + kRowGap;  // 1200

// The first cell until its page is placed. Rows and columns are counted
// from there, and the scroll bar goes after the columns measured from its
// left, which keeps the bar clear of the last name.
inline constexpr int kFirstLeft = kMargin + 120;                   // 360
inline constexpr int kFirstTop = kMargin;                          // 240
inline constexpr int kFirstLabelTop = kFirstTop + kImageSize + 15; // 990, a pixel under its picture
// The scroll bar's width; three of them are kept free right of the columns.
inline constexpr int kBarWidth = 255;
inline constexpr int kMaxScrollRows = 32767;

}  // namespace thumbs
