#include "core/imaging/filters/HighlightShadowAdjust.h"

#include "core/imaging/filters/WideKernels.h"

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

#if defined(TAVI_WIDE_KERNELS)
// smoothstep() of a value already offset and scaled.
TAVI_WIDE inline __m256 smoothWide(__m256 t) {
    t = _mm256_min_ps(_mm256_max_ps(t, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
    return _mm256_mul_ps(_mm256_mul_ps(t, t), _mm256_fnmadd_ps(_mm256_set1_ps(2.0f), t, _mm256_set1_ps(3.0f)));
}

// tones() eight pixels at a time, written out: the compiler turns the clamps of the loop above
// into compare-and-blend sequences and spills its constants, where min and max are one
// instruction each. Returns how many pixels were done.
template <bool Raise1, bool Raise2>
TAVI_WIDE int tonesWide(float* r, float* g, float* b, const float* blurred, int count, float shadowK,
                        float highlightK) {
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
    const __m256 wr = _mm256_set1_ps(0.2126f), wg = _mm256_set1_ps(0.7152f), wb = _mm256_set1_ps(0.0722f);
    const __m256 signBits = _mm256_set1_ps(-0.0f), inverseWidth = _mm256_set1_ps(1.0f / 0.6f);
    const __m256 shadowM = _mm256_set1_ps(std::abs(shadowK)), highlightM = _mm256_set1_ps(std::abs(highlightK));
    const __m256 tiny = _mm256_set1_ps(1e-6f);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 rv = _mm256_loadu_ps(r + i), gv = _mm256_loadu_ps(g + i), bv = _mm256_loadu_ps(b + i);
        const __m256 luma = _mm256_fmadd_ps(wr, rv, _mm256_fmadd_ps(wg, gv, _mm256_mul_ps(wb, bv)));
        const __m256 y = _mm256_min_ps(_mm256_max_ps(luma, zero), one);
        const __m256 local = _mm256_loadu_ps(blurred + i);
        const __m256 offset = _mm256_sub_ps(y, local);
        const __m256 difference = _mm256_andnot_ps(signBits, offset);
        const __m256 trustPixel = _mm256_min_ps(
            _mm256_max_ps(_mm256_mul_ps(_mm256_sub_ps(difference, _mm256_set1_ps(0.08f)), _mm256_set1_ps(4.0f)), zero),
            one);
        const __m256 mask = _mm256_fmadd_ps(offset, trustPixel, local);

        const __m256 m1 = _mm256_mul_ps(shadowM, _mm256_sub_ps(one, smoothWide(_mm256_mul_ps(mask, inverseWidth))));
        const __m256 n1 = Raise1 ? _mm256_fmadd_ps(y, m1, y) : y;
        const __m256 d1 = _mm256_fmadd_ps(m1, Raise1 ? y : _mm256_sub_ps(one, y), one);
        const __m256 p = _mm256_sub_ps(d1, n1);

        const __m256 m2 = _mm256_mul_ps(
            highlightM, smoothWide(_mm256_mul_ps(_mm256_sub_ps(mask, _mm256_set1_ps(0.4f)), inverseWidth)));
        const __m256 pa = Raise2 ? _mm256_fmadd_ps(p, m2, p) : p;
        const __m256 q = _mm256_fmadd_ps(m2, Raise2 ? p : n1, d1);

        const __m256 yc = _mm256_max_ps(y, tiny);
        const __m256 ratio = _mm256_div_ps(_mm256_sub_ps(q, pa), _mm256_mul_ps(q, yc));
        const __m256 target = _mm256_mul_ps(ratio, yc);
        const __m256 add = _mm256_max_ps(_mm256_sub_ps(target, y), zero);
        // Lowered: scaled by the ratio (by 0 for a black pixel); raised: kept, with grey added.
        const __m256 lowered = _mm256_cmp_ps(target, y, _CMP_LT_OQ);
        const __m256 ratioOrZero = _mm256_and_ps(ratio, _mm256_cmp_ps(y, tiny, _CMP_GT_OQ));
        const __m256 s = _mm256_blendv_ps(one, ratioOrZero, lowered);
        _mm256_storeu_ps(r + i, _mm256_fmadd_ps(rv, s, add));
        _mm256_storeu_ps(g + i, _mm256_fmadd_ps(gv, s, add));
        _mm256_storeu_ps(b + i, _mm256_fmadd_ps(bv, s, add));
    }
    return i;
}
#endif

template <bool Raise1, bool Raise2>
void tonesRow(PixelRow& row, const float* blurred, float shadowK, float highlightK) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable())
        i = tonesWide<Raise1, Raise2>(row.r, row.g, row.b, blurred, row.count, shadowK, highlightK);
#endif
    tones<Raise1, Raise2>(row.r + i, row.g + i, row.b + i, blurred + i, row.count - i, shadowK, highlightK);
}

} // namespace

TAVI_PIXEL_KERNEL void HighlightShadowAdjust::apply(PixelRow& row, const float* blurred) const {
    const float shadowK = 3.0f * float(shadowAmount);
    const float highlightK = 1.5f * float(1.0 - highlightAmount);
    const bool raiseShadows = shadowK >= 0, raiseHighlights = highlightK >= 0;
    if (raiseShadows && raiseHighlights)
        tonesRow<true, true>(row, blurred, shadowK, highlightK);
    else if (raiseShadows)
        tonesRow<true, false>(row, blurred, shadowK, highlightK);
    else if (raiseHighlights)
        tonesRow<false, true>(row, blurred, shadowK, highlightK);
    else
        tonesRow<false, false>(row, blurred, shadowK, highlightK);
}
