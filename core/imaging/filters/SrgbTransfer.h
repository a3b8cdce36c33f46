#pragma once

#include <array>
#include <cmath>

// The sRGB transfer curve. Colour steps work on sRGB-encoded values; the steps that model light
// (exposure, white balance, vignetting) decode to linear light, act, and encode again. The fast
// forms read tables over 0...4 with linear interpolation (error below 1e-4, far under one 8-bit
// level) and fall back to the exact curve outside, so values pushed beyond the gamut by an
// earlier step survive. The curve is mirrored for negative values. The fast forms are inline:
// building a colour table calls them a dozen times per grid point.
namespace srgb {

float toLinearExact(float encoded);
float toEncodedExact(float linear);

namespace detail {

// Both curves are tabulated over 0...4 (odd beyond zero), which covers what colour steps hand
// each other after an exposure push or a strong contrast; farther values are computed exactly.
constexpr int kSteps = 4096; // per unit
constexpr int kUnits = 4;
constexpr int kEntries = kSteps * kUnits + 2;

struct Tables {
    std::array<float, kEntries> decode{};
    std::array<float, kEntries> encode{};
    std::array<float, 256> bytes{};
    Tables();
};

inline const Tables& tables() {
    static const Tables t;
    return t;
}

// Linear interpolation on the table for a = |x| ≤ kUnits, the sign carried over.
inline float lookup(const std::array<float, kEntries>& table, float x, float a) {
    const float f = a * kSteps;
    const int i = int(f);
    const float t = f - float(i);
    const float v = table[i] + (table[i + 1] - table[i]) * t;
    return x < 0 ? -v : v;
}

} // namespace detail

inline float toLinear(float c) {
    const float a = std::abs(c);
    if (a <= float(detail::kUnits)) return detail::lookup(detail::tables().decode, c, a);
    return toLinearExact(c);
}

inline float toEncoded(float l) {
    const float a = std::abs(l);
    if (a <= float(detail::kUnits)) return detail::lookup(detail::tables().encode, l, a);
    return toEncodedExact(l);
}

// The same over arrays, in place (building a colour table converts whole grid rows): the
// tabulated range is read eight values at a time where the processor can gather.
void toLinear(float* values, int count);
void toEncoded(float* values, int count);

// 8-bit code value to 0...1.
inline float unitFromByte(int value) { return detail::tables().bytes[value & 255]; }

} // namespace srgb
