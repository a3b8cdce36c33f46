#pragma once

#include "core/imaging/filters/SimdLevel.h"

// Hand-written AVX2/FMA kernels: compiled for that target function by function and chosen at
// run time, so the baseline build still runs on processors without it.
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#define TAVI_WIDE_KERNELS 1
#define TAVI_WIDE __attribute__((target("avx2,fma")))

inline bool wideKernelsAvailable() {
    return simdLevel() == SimdLevel::avx2;
}

// The 4 x 4 transpose of _MM_TRANSPOSE4_PS in each 128-bit half: four registers of pixels
// (k, k + 4) become four registers of one component each, or back.
TAVI_WIDE inline void transposeHalves(__m256& a, __m256& b, __m256& c, __m256& d) {
    const __m256 t0 = _mm256_unpacklo_ps(a, b), t1 = _mm256_unpacklo_ps(c, d);
    const __m256 t2 = _mm256_unpackhi_ps(a, b), t3 = _mm256_unpackhi_ps(c, d);
    a = _mm256_shuffle_ps(t0, t1, 0x44);
    b = _mm256_shuffle_ps(t0, t1, 0xee);
    c = _mm256_shuffle_ps(t2, t3, 0x44);
    d = _mm256_shuffle_ps(t2, t3, 0xee);
}
#endif
