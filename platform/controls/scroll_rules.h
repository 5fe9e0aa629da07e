#pragma once
// The scroll bar's value rules shared by both systems (scroll_bar_values.cpp).
#include <cstdint>

namespace platform::detail {

// The value as a 16-bit number; 6 (overflow) outside -32768..32767.
std::int16_t checked16(long long v);

}  // namespace platform::detail
