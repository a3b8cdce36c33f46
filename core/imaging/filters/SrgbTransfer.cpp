#include "core/imaging/filters/SrgbTransfer.h"

#include "core/imaging/filters/WideKernels.h"

namespace srgb {

namespace {

#if defined(TAVI_WIDE_KERNELS)
// detail::lookup on eight values; lanes outside the table (or not a number) keep their value and
// are reported in the returned bit mask, for the exact curve.
TAVI_WIDE int lookupWide(const float* table, float* v) {
    const __m256 x = _mm256_loadu_ps(v);
    const __m256 signBit = _mm256_set1_ps(-0.0f);
    const __m256 a = _mm256_andnot_ps(signBit, x);
    const __m256 inside = _mm256_cmp_ps(a, _mm256_set1_ps(float(detail::kUnits)), _CMP_LE_OQ);
    // Lanes outside read entry 0; their result is discarded.
    const __m256 f = _mm256_and_ps(_mm256_mul_ps(a, _mm256_set1_ps(float(detail::kSteps))), inside);
    const __m256i i = _mm256_cvttps_epi32(f);
    const __m256 t = _mm256_sub_ps(f, _mm256_cvtepi32_ps(i));
    const __m256 low = _mm256_i32gather_ps(table, i, 4);
    const __m256 high = _mm256_i32gather_ps(table + 1, i, 4);
    const __m256 value = _mm256_add_ps(low, _mm256_mul_ps(_mm256_sub_ps(high, low), t));
    // The sign carried over, as the scalar form does (x < 0 gives −v).
    const __m256 negative = _mm256_cmp_ps(x, _mm256_setzero_ps(), _CMP_LT_OQ);
    const __m256 signedValue = _mm256_xor_ps(value, _mm256_and_ps(negative, signBit));
    _mm256_storeu_ps(v, _mm256_blendv_ps(x, signedValue, inside));
    return ~_mm256_movemask_ps(inside) & 0xff;
}

// Returns how many values were done: whole groups of eight.
TAVI_WIDE int convertWide(const float* table, float (*exact)(float), float* values, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8)
        if (const int outside = lookupWide(table, values + i))
            for (int k = 0; k < 8; ++k)
                if (outside & (1 << k)) values[i + k] = exact(values[i + k]);
    return i;
}
#endif

} // namespace

void toLinear(float* values, int count) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = convertWide(detail::tables().decode.data(), toLinearExact, values, count);
#endif
    for (; i < count; ++i)
        values[i] = toLinear(values[i]);
}

void toEncoded(float* values, int count) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable())
        i = convertWide(detail::tables().encode.data(), toEncodedExact, values, count);
#endif
    for (; i < count; ++i)
        values[i] = toEncoded(values[i]);
}

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
    for (int i = 0; i < 256; ++i)
        bytes[i] = float(i) / 255.0f;
}

} // namespace srgb
