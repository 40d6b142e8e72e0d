#pragma once
// The 80-bit extended float of the original platform (little-endian: 64-bit
// mantissa with an explicit integer bit, then sign and a 15-bit exponent biased
// by 16383). Converted bit by bit so it works where long double is 64 bits.

#include <array>
#include <cstdint>

using TExtended80 = std::array<uint8_t, 10>;

// Exact: every double has an extended form.
TExtended80 DoubleToExtended(double value);
// Rounds to the nearest double; values beyond the double range become infinite.
double ExtendedToDouble(const TExtended80 &bytes);
