#include "core/imaging/filters/HalfFloat.h"

#include "core/imaging/filters/WideKernels.h"

#include <bit>

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

void fromFloats(const float* in, int count, std::uint16_t* out) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = fromFloatsWide(in, count, out);
#endif
    for (; i < count; ++i)
        out[i] = fromFloat(in[i]);
}

void toFloats(const std::uint16_t* in, int count, float* out) {
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = toFloatsWide(in, count, out);
#endif
    for (; i < count; ++i)
        out[i] = toFloat(in[i]);
}

} // namespace halfFloat
