#include "storage/PrefExtended.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr int kExtendedBias = 16383;
constexpr int kDoubleBias = 1023;
constexpr uint64_t kIntegerBit = uint64_t(1) << 63;
} // namespace

TExtended80 DoubleToExtended(double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int exponent = int((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);

    uint16_t e = 0;
    uint64_t m = 0;
    if (exponent == 0 && fraction == 0) {
        // zero keeps its sign only
    } else if (exponent == 0x7FF) {
        e = 0x7FFF;
        m = kIntegerBit | (fraction << 11);
    } else if (exponent == 0) {
        // A subnormal double is a normal extended: shift the leading one up to the integer bit.
        const int shift = std::countl_zero(fraction);
        m = fraction << shift;
        e = uint16_t(kExtendedBias + 63 - 1074 - shift);
    } else {
        e = uint16_t(exponent - kDoubleBias + kExtendedBias);
        m = kIntegerBit | (fraction << 11);
    }

    TExtended80 out{};
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(m >> (8 * i));
    const uint16_t signExp = uint16_t((negative ? 0x8000 : 0) | e);
    out[8] = uint8_t(signExp & 0xFF);
    out[9] = uint8_t(signExp >> 8);
    return out;
}

double ExtendedToDouble(const TExtended80 &bytes)
{
    uint64_t m = 0;
    for (int i = 0; i < 8; ++i)
        m |= uint64_t(bytes[i]) << (8 * i);
    const uint16_t signExp = uint16_t(bytes[8] | (bytes[9] << 8));
    const bool negative = (signExp & 0x8000) != 0;
    const int e = signExp & 0x7FFF;

    double result;
    if (e == 0x7FFF) {
        result = (m << 1) == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
    } else if (m == 0) {
        result = 0.0;
    } else {
        // uint64 -> double rounds to nearest; ldexp then scales exactly (or to
        // infinity / a subnormal at the edges of the range).
        result = std::ldexp(double(m), e - kExtendedBias - 63);
    }
    return negative ? -result : result;
}
