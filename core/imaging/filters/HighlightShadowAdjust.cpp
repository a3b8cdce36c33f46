#include "core/imaging/filters/HighlightShadowAdjust.h"

#include <algorithm>
#include <cmath>

namespace {

// 0 below e0, 1 above e0 + 1 / inverseWidth, the smooth cubic between.
inline float smoothstep(float e0, float inverseWidth, float x) {
    const float t = std::min(std::max((x - e0) * inverseWidth, 0.0f), 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// The tone curve: lift(y, k) = y (1 + k) / (1 + k y) raises y in 0...1 for k > 0 keeping 0 and 1
// fixed; for k < 0 it is the inverse curve y / (1 + |k| (1 − y)). Shadows lift the pixel's luma,
// then highlights apply the curve mirrored (1 − lift(1 − y, k)), each weighted by how dark or
// bright the local mask is. The pixel's colour is then scaled towards the new luma when it
// falls, and raised by adding grey when it rises, so bright colours never clip in hue.
//
// Both lifts and the final ratio are fractions; written over one common denominator they cost a
// single division per pixel: with lifted = N1 / D1 and u = 1 − lifted = P / D1, the mirrored
// lift is P A / Q with Q = D1 + m2 (P or N1), so target = (Q − P A) / Q and
// target / y = (Q − P A) / (Q y). Every denominator is at least 1 (times y), so none vanishes.
// Written without early exits so that the loop runs lane-parallel; k = 0 leaves y as it was.
//
// The loop for one pair of signs: k1 has the sign of the shadow amount and k2 that of the
// highlight amount everywhere (the masks' weights are never negative), so which branch of each
// lift applies is known before the loop and costs no per-pixel select.
template <bool Raise1, bool Raise2>
[[gnu::always_inline]] inline void tones(float* __restrict r, float* __restrict g, float* __restrict b,
                                         const float* blurred, int count, float shadowK, float highlightK) {
    constexpr float kInverseWidth = 1.0f / 0.6f;
    for (int i = 0; i < count; ++i) {
        const float y = std::min(std::max(lumaOf(r[i], g[i], b[i]), 0.0f), 1.0f);
        const float local = blurred[i];
        const float difference = std::abs(y - local);
        const float trustPixel = std::min(std::max((difference - 0.08f) * 4.0f, 0.0f), 1.0f);
        const float mask = local + (y - local) * trustPixel;

        const float m1 = std::abs(shadowK * (1.0f - smoothstep(0.0f, kInverseWidth, mask)));
        const float n1 = Raise1 ? y * (1.0f + m1) : y;
        const float d1 = 1.0f + m1 * (Raise1 ? y : 1.0f - y);
        const float p = d1 - n1;

        const float m2 = std::abs(highlightK * smoothstep(0.4f, kInverseWidth, mask));
        const float pa = Raise2 ? p * (1.0f + m2) : p;
        const float q = d1 + m2 * (Raise2 ? p : n1);

        const float yc = std::max(y, 1e-6f);
        const float ratio = (q - pa) / (q * yc);
        const float target = ratio * yc;
        const float add = std::max(target - y, 0.0f);
        const float s = target < y ? (y > 1e-6f ? ratio : 0.0f) : 1.0f;
        r[i] = r[i] * s + add;
        g[i] = g[i] * s + add;
        b[i] = b[i] * s + add;
    }
}

} // namespace

TAVI_PIXEL_KERNEL void HighlightShadowAdjust::apply(PixelRow& row, const float* blurred) const {
    const float shadowK = 3.0f * float(shadowAmount);
    const float highlightK = 1.5f * float(1.0 - highlightAmount);
    const bool raiseShadows = shadowK >= 0, raiseHighlights = highlightK >= 0;
    if (raiseShadows && raiseHighlights)
        tones<true, true>(row.r, row.g, row.b, blurred, row.count, shadowK, highlightK);
    else if (raiseShadows)
        tones<true, false>(row.r, row.g, row.b, blurred, row.count, shadowK, highlightK);
    else if (raiseHighlights)
        tones<false, true>(row.r, row.g, row.b, blurred, row.count, shadowK, highlightK);
    else
        tones<false, false>(row.r, row.g, row.b, blurred, row.count, shadowK, highlightK);
}
