#include "core/imaging/filters/HighlightShadowAdjust.h"

#include <algorithm>
#include <cmath>

namespace {

inline float smoothstep(float e0, float e1, float x) {
    const float t = std::min(std::max((x - e0) / (e1 - e0), 0.0f), 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Raises y in 0...1 for k > 0 keeping 0 and 1 fixed; k < 0 applies the inverse curve.
// Both branches as one expression (a select of values, no division under a condition), so
// that the pixel loop vectorises: for k ≥ 0 the numerator gains (1 + k) and the denominator
// reads k y; for k < 0 it is y / (1 + m (1 − y)).
inline float lift(float y, float k) {
    const float m = std::abs(k);
    const bool raise = k >= 0;
    return y * (raise ? 1.0f + m : 1.0f) / (1.0f + m * (raise ? y : 1.0f - y));
}

} // namespace

TAVI_PIXEL_KERNEL void HighlightShadowAdjust::apply(PixelRow& row, const float* blurred) const {
    const float shadowK = 3.0f * float(shadowAmount);
    const float highlightK = 1.5f * float(1.0 - highlightAmount);
    float* __restrict r = row.r;
    float* __restrict g = row.g;
    float* __restrict b = row.b;
    // Written without early exits so that the loop runs lane-parallel; a pixel outside both
    // weights gets k = 0, and lift(y, 0) is y exactly.
    for (int i = 0; i < row.count; ++i) {
        const float y = std::min(std::max(lumaOf(r[i], g[i], b[i]), 0.0f), 1.0f);
        const float local = blurred[i];
        const float difference = std::abs(y - local);
        const float trustPixel = std::min(std::max((difference - 0.08f) / 0.25f, 0.0f), 1.0f);
        const float mask = local + (y - local) * trustPixel;
        const float lifted = lift(y, shadowK * (1.0f - smoothstep(0.0f, 0.6f, mask)));
        const float target = 1.0f - lift(1.0f - lifted, highlightK * smoothstep(0.4f, 1.0f, mask));
        const float add = std::max(target - y, 0.0f);
        const float ratio = target / std::max(y, 1e-6f);
        const float s = target < y ? (y > 1e-6f ? ratio : 0.0f) : 1.0f;
        r[i] = r[i] * s + add;
        g[i] = g[i] * s + add;
        b[i] = b[i] * s + add;
    }
}
