#include "core/imaging/filters/FilmGrain.h"

#include "core/imaging/filters/OverlayBlend.h"
#include "core/imaging/filters/WideKernels.h"

namespace {

#if defined(TAVI_WIDE_KERNELS)
// RandomGenerator::mix on eight lanes.
TAVI_WIDE inline __m256i mixWide(__m256i h) {
    h = _mm256_xor_si256(h, _mm256_srli_epi32(h, 16));
    h = _mm256_mullo_epi32(h, _mm256_set1_epi32(int(0x7feb352dU)));
    h = _mm256_xor_si256(h, _mm256_srli_epi32(h, 15));
    h = _mm256_mullo_epi32(h, _mm256_set1_epi32(int(0x846ca68bU)));
    return _mm256_xor_si256(h, _mm256_srli_epi32(h, 16));
}

// overlayBlend::over on eight lanes; the select is a blend instead of the compare-and-blend
// pairs the compiler makes of the scalar loop.
TAVI_WIDE inline __m256 overWide(__m256 background, __m256 grey, __m256 alpha) {
    const __m256 one = _mm256_set1_ps(1.0f), two = _mm256_set1_ps(2.0f);
    const __m256 multiply = _mm256_mul_ps(_mm256_mul_ps(two, background), grey);
    const __m256 screen = _mm256_sub_ps(
        one, _mm256_mul_ps(_mm256_mul_ps(two, _mm256_sub_ps(one, background)), _mm256_sub_ps(one, grey)));
    const __m256 dark = _mm256_cmp_ps(background, _mm256_set1_ps(0.5f), _CMP_LE_OQ);
    const __m256 blended = _mm256_blendv_ps(screen, multiply, dark);
    return _mm256_add_ps(background, _mm256_mul_ps(alpha, _mm256_sub_ps(blended, background)));
}

// A noise byte n as RandomGenerator::sample gives it: (n + 0.5) / 256.
TAVI_WIDE inline __m256 noiseWide(__m256i n) {
    return _mm256_mul_ps(_mm256_add_ps(_mm256_cvtepi32_ps(n), _mm256_set1_ps(0.5f)),
                         _mm256_set1_ps(1.0f / 256.0f));
}

// The loop of FilmGrain::apply eight pixels at a time; returns how many were done.
TAVI_WIDE int grainWide(std::uint32_t key, int x, float alphaScale, float* r, float* g, float* b, int count) {
    const __m256i golden = _mm256_set1_epi32(int(0x9e3779b9U)), bytes = _mm256_set1_epi32(0xff);
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 contrast = _mm256_set1_ps(1.4f), scale = _mm256_set1_ps(alphaScale);
    __m256i position = _mm256_add_epi32(_mm256_set1_epi32(x), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    int i = 0;
    for (; i + 8 <= count; i += 8, position = _mm256_add_epi32(position, _mm256_set1_epi32(8))) {
        const __m256i h =
            mixWide(_mm256_add_epi32(_mm256_set1_epi32(int(key)), _mm256_mullo_epi32(position, golden)));
        const __m256 n0 = noiseWide(_mm256_and_si256(h, bytes));
        const __m256 n1 = noiseWide(_mm256_and_si256(_mm256_srli_epi32(h, 8), bytes));
        const __m256 n2 = noiseWide(_mm256_and_si256(_mm256_srli_epi32(h, 16), bytes));
        const __m256 n3 = noiseWide(_mm256_srli_epi32(h, 24));
        const __m256 luma = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(0.2126f), n0),
                                                        _mm256_mul_ps(_mm256_set1_ps(0.7152f), n1)),
                                          _mm256_mul_ps(_mm256_set1_ps(0.0722f), n2));
        const __m256 grey = _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(luma, half), contrast), half);
        const __m256 alpha = _mm256_mul_ps(n3, scale);
        _mm256_storeu_ps(r + i, overWide(_mm256_loadu_ps(r + i), grey, alpha));
        _mm256_storeu_ps(g + i, overWide(_mm256_loadu_ps(g + i), grey, alpha));
        _mm256_storeu_ps(b + i, overWide(_mm256_loadu_ps(b + i), grey, alpha));
    }
    return i;
}
#endif

} // namespace

// One loop with the noise generated in place, so it runs lane-parallel (the hash is integer
// multiplies and shifts, the filters inline arithmetic, the blend a select). The colour
// controls and the colour matrix are written out for this use: saturation 0 makes all three
// components the noise's luma, so one grey serves them, and the matrix's only non-identity
// vector scales alpha. Spelled generically, their zero terms would still be multiplied out:
// floating point can't drop 0 × x on its own.
TAVI_PIXEL_KERNEL void FilmGrain::apply(PixelRow& row) const {
    const std::uint32_t key = RandomGenerator{seed}.rowKey(row.y);
    const float contrast = 1.4f, alphaScale = float(0.14 * amount);
    float* __restrict r = row.r;
    float* __restrict g = row.g;
    float* __restrict b = row.b;
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = grainWide(key, row.x, alphaScale, r, g, b, row.count);
#endif
    for (; i < row.count; ++i) {
        float noise[4];
        RandomGenerator::sample(key, row.x + i, noise);
        // CIColorControls, saturation 0 and contrast 1.4 about mid-grey (brightness 0).
        const float grey = (lumaOf(noise[0], noise[1], noise[2]) - 0.5f) * contrast + 0.5f;
        // CIColorMatrix with inputAVector (0, 0, 0, 0.14 × amount).
        const float alpha = noise[3] * alphaScale;
        r[i] = overlayBlend::over(r[i], grey, alpha);
        g[i] = overlayBlend::over(g[i], grey, alpha);
        b[i] = overlayBlend::over(b[i], grey, alpha);
    }
}
