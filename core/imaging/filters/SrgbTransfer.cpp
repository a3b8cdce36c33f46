#include "core/imaging/filters/SrgbTransfer.h"

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

detail::Tables::Tables() {
    for (int i = 0; i < kEntries; ++i) {
        const float x = float(i) / kSteps;
        decode[i] = toLinearExact(x);
        encode[i] = toEncodedExact(x);
    }
    for (int i = 0; i < 256; ++i) bytes[i] = float(i) / 255.0f;
}

} // namespace srgb
