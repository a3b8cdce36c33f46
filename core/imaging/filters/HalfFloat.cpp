#include "core/imaging/filters/HalfFloat.h"

#include "core/imaging/filters/WideKernels.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace halfFloat {

// Fabian Giesen's conversions: integer steps for normal numbers, one float addition to align
// a subnormal's bits (which rounds to nearest even by itself). A NaN stays a NaN with its
// payload's top bits and the quiet bit set, either way, as the processor gives it.
std::uint16_t fromFloat(float value) {
    std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t sign = bits & 0x80000000u;
    bits ^= sign;
    std::uint32_t out;
    if (bits >= 0x47800000u) { // 65536 and above: infinity, or a NaN
        out = bits > 0x7f800000u ? 0x7e00u | ((bits >> 13) & 0x3ffu) : 0x7c00u;
    } else if (bits < 0x38800000u) { // below the smallest normal half
        constexpr std::uint32_t magic = ((127 - 15) + (23 - 10) + 1) << 23;
        const float aligned = std::bit_cast<float>(bits) + std::bit_cast<float>(magic);
        out = std::bit_cast<std::uint32_t>(aligned) - magic;
    } else {
        const std::uint32_t odd = (bits >> 13) & 1u;
        bits += (std::uint32_t(15 - 127) << 23) + 0xfffu + odd;
        out = bits >> 13;
    }
    return std::uint16_t(out | (sign >> 16));
}

float toFloat(std::uint16_t half) {
    constexpr std::uint32_t shiftedExponent = 0x7c00u << 13;
    std::uint32_t bits = std::uint32_t(half & 0x7fffu) << 13;
    const std::uint32_t exponent = bits & shiftedExponent;
    bits += std::uint32_t(127 - 15) << 23;
    if (exponent == shiftedExponent) {
        bits += std::uint32_t(128 - 16) << 23; // infinity or NaN
        if (half & 0x3ffu) bits |= 0x00400000u; // a NaN comes out quiet
    } else if (exponent == 0) {
        bits += 1u << 23; // zero or subnormal: renormalised by a subtraction
        bits = std::bit_cast<std::uint32_t>(std::bit_cast<float>(bits) - std::bit_cast<float>(113u << 23));
    }
    return std::bit_cast<float>(bits | (std::uint32_t(half & 0x8000u) << 16));
}

#if defined(TAVI_WIDE_KERNELS)
namespace {
// Every processor with AVX2 has the conversions (F16C came a generation earlier).
#define TAVI_HALF __attribute__((target("avx2,fma,f16c")))

TAVI_HALF int fromFloatsWide(const float* in, int count, std::uint16_t* out) {
    int i = 0;
    for (; i + 8 <= count; i += 8)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm256_cvtps_ph(_mm256_loadu_ps(in + i), _MM_FROUND_TO_NEAREST_INT));
    return i;
}

TAVI_HALF int toFloatsWide(const std::uint16_t* in, int count, float* out) {
    int i = 0;
    for (; i + 8 <= count; i += 8)
        _mm256_storeu_ps(out + i, _mm256_cvtph_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i))));
    return i;
}
#undef TAVI_HALF
} // namespace
#endif

#if defined(__SSE2__)
namespace {

// fromFloat on four lanes, both paths worked out and the right one picked per lane.
__m128i fromFloatsNarrow(__m128 value) {
    const __m128i bits = _mm_castps_si128(value);
    const __m128i sign = _mm_and_si128(bits, _mm_set1_epi32(int(0x80000000u)));
    const __m128i magnitude = _mm_xor_si128(bits, sign);
    // Infinity, or a NaN with its payload's top bits and the quiet bit.
    const __m128i nan = _mm_cmpgt_epi32(magnitude, _mm_set1_epi32(0x7f800000));
    const __m128i payload = _mm_and_si128(_mm_srli_epi32(magnitude, 13), _mm_set1_epi32(0x3ff));
    const __m128i special =
        _mm_or_si128(_mm_set1_epi32(0x7c00), _mm_and_si128(nan, _mm_or_si128(payload, _mm_set1_epi32(0x200))));
    // Subnormal: one float addition aligns the bits, rounding to nearest even.
    const __m128i magic = _mm_set1_epi32(((127 - 15) + (23 - 10) + 1) << 23);
    const __m128i subnormal = _mm_sub_epi32(
        _mm_castps_si128(_mm_add_ps(_mm_castsi128_ps(magnitude), _mm_castsi128_ps(magic))), magic);
    // Normal: rebias, add the rounding bias and the odd bit, shift.
    const __m128i odd = _mm_and_si128(_mm_srli_epi32(magnitude, 13), _mm_set1_epi32(1));
    const __m128i normal = _mm_srli_epi32(
        _mm_add_epi32(_mm_add_epi32(magnitude, _mm_set1_epi32(int(std::uint32_t(15 - 127) << 23) + 0xfff)), odd), 13);
    const __m128i isSpecial = _mm_cmpgt_epi32(magnitude, _mm_set1_epi32(0x47800000 - 1));
    const __m128i isSubnormal = _mm_cmpgt_epi32(_mm_set1_epi32(0x38800000), magnitude);
    const __m128i finite = _mm_or_si128(_mm_and_si128(isSubnormal, subnormal), _mm_andnot_si128(isSubnormal, normal));
    const __m128i half = _mm_or_si128(_mm_and_si128(isSpecial, special), _mm_andnot_si128(isSpecial, finite));
    return _mm_or_si128(half, _mm_srli_epi32(sign, 16));
}

// toFloat on four lanes (halves in the low 16 bits of each).
__m128 toFloatsNarrow(__m128i half) {
    const __m128i magnitude = _mm_and_si128(half, _mm_set1_epi32(0x7fff));
    const __m128i shifted = _mm_slli_epi32(magnitude, 13);
    const __m128i rebiased = _mm_add_epi32(shifted, _mm_set1_epi32((127 - 15) << 23));
    // Infinity or NaN: the exponent all ones, a NaN made quiet.
    const __m128i isSpecial = _mm_cmpgt_epi32(magnitude, _mm_set1_epi32(0x7bff));
    const __m128i isNan = _mm_cmpgt_epi32(magnitude, _mm_set1_epi32(0x7c00));
    const __m128i special = _mm_or_si128(_mm_add_epi32(rebiased, _mm_set1_epi32((128 - 16) << 23)),
                                         _mm_and_si128(isNan, _mm_set1_epi32(0x00400000)));
    // Zero or subnormal: renormalised by a float subtraction.
    const __m128i isSubnormal = _mm_cmpgt_epi32(_mm_set1_epi32(0x0400), magnitude);
    const __m128 subnormal = _mm_sub_ps(_mm_castsi128_ps(_mm_add_epi32(rebiased, _mm_set1_epi32(1 << 23))),
                                        _mm_castsi128_ps(_mm_set1_epi32(113 << 23)));
    __m128i result = _mm_or_si128(_mm_and_si128(isSpecial, special), _mm_andnot_si128(isSpecial, rebiased));
    result = _mm_or_si128(_mm_and_si128(isSubnormal, _mm_castps_si128(subnormal)),
                          _mm_andnot_si128(isSubnormal, result));
    const __m128i sign = _mm_slli_epi32(_mm_and_si128(half, _mm_set1_epi32(0x8000)), 16);
    return _mm_castsi128_ps(_mm_or_si128(result, sign));
}

} // namespace
#endif

void fromFloats(const float* in, int count, std::uint16_t* out) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = fromFloatsWide(in, count, out);
#endif
#if defined(__SSE2__)
    if (narrowKernelsAvailable())
        for (; i + 8 <= count; i += 8) {
            // Sign-extended from 16 bits, so the saturating pack keeps every pattern as it is.
            const auto narrow = [](__m128i v) { return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16); };
            const __m128i low = narrow(fromFloatsNarrow(_mm_loadu_ps(in + i)));
            const __m128i high = narrow(fromFloatsNarrow(_mm_loadu_ps(in + i + 4)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(low, high));
        }
#endif
    for (; i < count; ++i)
        out[i] = fromFloat(in[i]);
}

void toFloats(const std::uint16_t* in, int count, float* out) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = toFloatsWide(in, count, out);
#endif
#if defined(__SSE2__)
    if (narrowKernelsAvailable())
        for (; i + 8 <= count; i += 8) {
            const __m128i halves = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_ps(out + i, toFloatsNarrow(_mm_unpacklo_epi16(halves, zero)));
            _mm_storeu_ps(out + i + 4, toFloatsNarrow(_mm_unpackhi_epi16(halves, zero)));
        }
#endif
    for (; i < count; ++i)
        out[i] = toFloat(in[i]);
}

} // namespace halfFloat
