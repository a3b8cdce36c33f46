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

constexpr int kSteps = 4096;

struct Tables {
    std::array<float, kSteps + 2> decode{};
    std::array<float, kSteps + 2> encode{};
    std::array<float, 256> bytes{};
    Tables() {
        for (int i = 0; i <= kSteps + 1; ++i) {
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

inline float lookup(const std::array<float, kSteps + 2>& table, float x) {
    const float f = x * kSteps;
    const int i = int(f);
    const float t = f - float(i);
    return table[i] + (table[i + 1] - table[i]) * t;
}

} // namespace

float toLinear(float c) {
    if (c >= 0.0f && c <= 1.0f) return lookup(tables().decode, c);
    return toLinearExact(c);
}

float toEncoded(float l) {
    if (l >= 0.0f && l <= 1.0f) return lookup(tables().encode, l);
    return toEncodedExact(l);
}

float unitFromByte(int value) { return tables().bytes[value & 255]; }

} // namespace srgb
