#pragma once
// Value conventions shared by every window: 16-bit booleans, rounding, twips.
#include <cmath>
#include <cstdint>

namespace platform {

// Booleans kept in variables are 16-bit: -1 true, 0 false, tested against -1.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;

// Rounds to the nearest whole number, halves to the even neighbour.
inline long long round_half_even(double v) {
    return static_cast<long long>(std::nearbyint(v));
}

// Window states.
inline constexpr int kStateNormal = 0;
inline constexpr int kStateMinimized = 1;
inline constexpr int kStateMaximized = 2;

}  // namespace platform
