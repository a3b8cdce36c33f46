#include "core/imaging/filters/HighlightShadowAdjust.h"

#include <algorithm>
#include <cmath>

namespace {

inline float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Raises y in 0...1 for k > 0 keeping 0 and 1 fixed; k < 0 applies the inverse curve.
inline float lift(float y, float k) {
    if (k >= 0) return y * (1.0f + k) / (1.0f + k * y);
    const float m = -k;
    return y / (1.0f + m - m * y);
}

} // namespace

void HighlightShadowAdjust::apply(PixelRow& row, const float* blurred) const {
    const float shadowK = 3.0f * float(shadowAmount);
    const float highlightK = 1.5f * float(1.0 - highlightAmount);
    float* p = row.pixels;
    for (int i = 0; i < row.count; ++i, p += 4) {
        const float y = std::clamp(lumaOf(p[0], p[1], p[2]), 0.0f, 1.0f);
        const float local = blurred[i];
        const float difference = std::abs(y - local);
        const float trustPixel = std::clamp((difference - 0.08f) / 0.25f, 0.0f, 1.0f);
        const float mask = local + (y - local) * trustPixel;
        float target = y;
        if (shadowK != 0.0f) {
            const float w = 1.0f - smoothstep(0.0f, 0.6f, mask);
            if (w > 0) target = lift(target, shadowK * w);
        }
        if (highlightK != 0.0f) {
            const float w = smoothstep(0.4f, 1.0f, mask);
            if (w > 0) target = 1.0f - lift(1.0f - target, highlightK * w);
        }
        if (target == y) continue;
        if (target > y) {
            const float add = target - y;
            p[0] += add;
            p[1] += add;
            p[2] += add;
        } else {
            const float s = y > 1e-6f ? target / y : 0.0f;
            p[0] *= s;
            p[1] *= s;
            p[2] *= s;
        }
    }
}
