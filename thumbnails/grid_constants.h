#pragma once
// Measures of the thumbnail grid, in twips.

namespace thumbs {

inline constexpr int kMargin = 240;       // top margin, and left of the first column
inline constexpr int kRowPitch = 1200;    // image 735 + label 195 + gap 270
inline constexpr int kColumnPitch = 1290; // label 1050 + gap 240
inline constexpr int kImageSize = 735;    // a cell's picture box, square
inline constexpr int kMaxScrollRows = 32767;

}  // namespace thumbs
