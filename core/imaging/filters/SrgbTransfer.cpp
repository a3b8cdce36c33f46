#include "core/imaging/filters/SrgbTransfer.h"

#include <array>
#include <cmath>

namespace srgb {

float toLinearExact(float c) {
    const float a = std::abs(c);
    const float l = a <= 0.04045f ? a / 12.92f : std::pow((a + 0.055f) / 1.055f, 2.4f);
    return c < 0 ? -l : l;
}

float toEncodedExact(float l) {
    const float a = std::abs(l);
    const float c = a <= 0.0031308f ? a * 12.92f : 1.055f * std::pow(a, 1.0f / 2.4f) - 0.055f;
    return l < 0 ? -c : c;
}

namespace {

// Both curves are tabulated over 0...4 (odd beyond zero), which covers what colour steps hand
// each other after an exposure push or a strong contrast; farther values are computed exactly.
constexpr int kSteps = 4096; // per unit
constexpr int kUnits = 4;
constexpr int kEntries = kSteps * kUnits + 2;

struct Tables {
    std::array<float, kEntries> decode{};
    std::array<float, kEntries> encode{};
    std::array<float, 256> bytes{};
    Tables() {
        for (int i = 0; i < kEntries; ++i) {
            const float x = float(i) / kSteps;
            decode[i] = toLinearExact(x);
            encode[i] = toEncodedExact(x);
        }
        for (int i = 0; i < 256; ++i) bytes[i] = float(i) / 255.0f;
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

// Linear interpolation on the table for |x| ≤ kUnits, the sign carried over.
inline float lookup(const std::array<float, kEntries>& table, float x, float a) {
    const float f = a * kSteps;
    const int i = int(f);
    const float t = f - float(i);
    const float v = table[i] + (table[i + 1] - table[i]) * t;
    return x < 0 ? -v : v;
}

} // namespace

float toLinear(float c) {
    const float a = std::abs(c);
    if (a <= float(kUnits)) return lookup(tables().decode, c, a);
    return toLinearExact(c);
}

float toEncoded(float l) {
    const float a = std::abs(l);
    if (a <= float(kUnits)) return lookup(tables().encode, l, a);
    return toEncodedExact(l);
}

float unitFromByte(int value) { return tables().bytes[value & 255]; }

} // namespace srgb
