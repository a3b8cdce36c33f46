#include "core/imaging/SeparableStraighten.h"

#include "core/imaging/CatmullRom.h"
#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/WideKernels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace separableStraighten {
namespace {

// Edge copies each side of the intermediate row: the horizontal pass reads windows of
// twenty-four values, and taps past the picture's edge read its edge.
constexpr int kPad = 28;

// The intermediate row holds each component in 16 bits, in 64ths of a level: a column's
// resampled value lies within −0.15 ... 1.15 of full scale, so it fits with room to spare, and
// sixteen values share a 256-bit register. Its rounding (1/128 of a level) is far below the
// output's.
using Sample = std::int16_t;
constexpr float kSampleScale = 64.0f;

// The geometry of one output row: which picture columns it reads, where down them, and where
// along the intermediate row each output pixel falls.
struct Row {
    int first = 0, last = -1; // picture columns resampled into the intermediate row
    double yAtZero = 0;       // y of column 0; y(x) = yAtZero + slope x
    double xAtZero = 0;       // x of output pixel 0; x(u) = xAtZero + a u
};

// Colour may not exceed alpha after the filter's overshoot; rounded to nearest.
inline void store(const float* acc, uchar* dst) {
    const float alpha = std::clamp(acc[3], 0.0f, 255.0f);
    dst[3] = uchar(alpha + 0.5f);
    for (int c = 0; c < 3; ++c)
        dst[c] = uchar(std::clamp(acc[c], 0.0f, alpha) + 0.5f);
}

inline Sample toSample(float level) {
    return Sample(std::lrint(std::clamp(level * kSampleScale, -32768.0f, 32767.0f)));
}

// Column x of the picture resampled at y: the four premultiplied components.
// `Channels` 3: the picture is opaque, alpha is not resampled.
template <int Channels>
inline void verticalOne(const PlanarBytes& picture, int x, double y, Sample* const planes[4], int at) {
    const double floor = std::floor(y);
    float w[4];
    catmullRomWeights(float(y - floor), w);
    const long long first = (long long)floor - 1;
    float acc[4] = {0, 0, 0, 0};
    for (int j = 0; j < 4; ++j) {
        const int row = int(std::clamp<long long>(first + j, 0, picture.height - 1));
        for (int c = 0; c < Channels; ++c)
            acc[c] += w[j] * float(picture.plane(row, c)[x]);
    }
    for (int c = 0; c < Channels; ++c)
        planes[c][at] = toSample(acc[c]);
}

// The intermediate row (padded) resampled at `position`, an index into it.
template <int Channels>
inline void horizontalOne(Sample* const planes[4], int padded, double position, uchar* dst) {
    const double floor = std::floor(position);
    float w[4];
    catmullRomWeights(float(position - floor), w);
    const long long first = (long long)floor - 1;
    float acc[4] = {0, 0, 0, 255.0f};
    for (int i = 0; i < 4; ++i) {
        const size_t k = size_t(std::clamp<long long>(first + i, 0, padded - 1));
        for (int c = 0; c < Channels; ++c)
            acc[c] += w[i] * float(planes[c][k]) * (1.0f / kSampleScale);
    }
    if (Channels == 4) acc[3] -= 255.0f;
    store(acc, dst);
}

#if defined(TAVI_WIDE_KERNELS)

// Both passes run sixteen values wide in 16-bit fixed point: values times weights in 1/16384
// (Catmull-Rom weights lie within −0.08 ... 1), multiplied with rounding to the high half
// (vpmulhrsw) and summed. Weights are worked out in floats, eight lanes at a time.

// The Catmull-Rom cubics of catmullRomWeights, in Horner form, for eight fractions.
TAVI_WIDE inline void weights(__m256 t, __m256* w) {
    const __m256 half = _mm256_set1_ps(0.5f), one = _mm256_set1_ps(1.0f);
    const __m256 t2 = _mm256_mul_ps(t, t);
    w[0] = _mm256_mul_ps(t, _mm256_fmsub_ps(_mm256_fnmadd_ps(half, t, one), t, half));
    w[1] = _mm256_fmadd_ps(_mm256_fmsub_ps(_mm256_set1_ps(1.5f), t, _mm256_set1_ps(2.5f)), t2, one);
    w[2] = _mm256_mul_ps(
        t, _mm256_fmadd_ps(_mm256_fnmadd_ps(_mm256_set1_ps(1.5f), t, _mm256_set1_ps(2.0f)), t, half));
    w[3] = _mm256_mul_ps(_mm256_fmsub_ps(half, t, half), t2);
}

// Two runs of eight float weights as sixteen 16-bit ones (times 16384), in lane order.
TAVI_WIDE inline __m256i fixedWeights(__m256 low, __m256 high) {
    const __m256 scale = _mm256_set1_ps(16384.0f);
    const __m256i packed = _mm256_packs_epi32(_mm256_cvtps_epi32(_mm256_mul_ps(low, scale)),
                                              _mm256_cvtps_epi32(_mm256_mul_ps(high, scale)));
    return _mm256_permute4x64_epi64(packed, 0xd8); // the pack interleaves the halves' quarters
}

// Weights of the five rows from the group's top for eight columns at fractional heights `ys`
// (0 ... 2 below the top's second row): a lane whose taps start a row further down takes each
// row's weight from the tap before. A position that rounds onto the next row keeps its row
// with a fraction of 1, which reads the same.
TAVI_WIDE inline void rowWeights(__m256 ys, __m256* out) {
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
    const __m256 whole = _mm256_min_ps(_mm256_max_ps(_mm256_floor_ps(ys), zero), one);
    __m256 w[4];
    weights(_mm256_min_ps(_mm256_max_ps(_mm256_sub_ps(ys, whole), zero), one), w);
    const __m256 shifted = _mm256_cmp_ps(whole, _mm256_set1_ps(0.5f), _CMP_GT_OQ);
    for (int m = 0; m < 5; ++m)
        out[m] = _mm256_blendv_ps(m < 4 ? w[m] : zero, m > 0 ? w[m - 1] : zero, shifted);
}

// Sixteen columns' taps from `Taps` picture rows, the first component of the first at `source`
// (rows of four components, `width` bytes each), into `target` (one pointer per component):
// straight-line code for four and for five rows. Bytes are widened and moved up 7 bits, so the
// rounded high half of the product with a weight is the value in 64ths of a level. The
// pointers come as values: stores through `target` could otherwise alias them and force their
// reload at every group.
template <int Taps, int Channels>
TAVI_WIDE inline void columnTaps(const uchar* source, size_t width, const __m256i* w, Sample* const* target) {
    for (int c = 0; c < Channels; ++c) {
        __m256i acc = _mm256_setzero_si256();
        for (int m = 0; m < Taps; ++m) {
            const __m128i bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + (size_t(m) * 4 + c) * width));
            const __m256i value = _mm256_slli_epi16(_mm256_cvtepu8_epi16(bytes), 7);
            acc = _mm256_add_epi16(acc, _mm256_mulhrs_epi16(value, w[m]));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target[c]), acc);
    }
}

// Sixteen picture columns at a time into the intermediate row. Their positions down the columns
// span at most five picture rows while the map turns by less than about eight degrees (any
// straighten but the steepest); each lane then weights the rows its own four taps fall on.
// Other groups, and those whose taps reach past the picture, take the scalar path.
template <int Channels>
TAVI_WIDE void verticalWide(const PlanarBytes& picture, double slope, const Row& row, Sample* const planes[4]) {
    const int rows = picture.height;
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 step = _mm256_set1_ps(float(slope));
    const __m256 upper = _mm256_fmadd_ps(step, _mm256_set1_ps(8.0f), _mm256_mul_ps(step, lanes));
    const uchar* const bytes = picture.data.get();
    const size_t width = size_t(picture.width);
    Sample* const target[4] = {planes[0], planes[1], planes[2], planes[3]};
    int x = row.first;
    for (; x + 16 <= row.last + 1; x += 16) {
        const int at = kPad + x - row.first;
        const double y0 = row.yAtZero + slope * x, y15 = y0 + slope * 15;
        const double low = std::floor(std::min(y0, y15)), high = std::floor(std::max(y0, y15));
        if (!(low - 1 >= 0 && high + 2 <= rows - 1 && high - low <= 1)) {
            for (int k = 0; k < 16; ++k)
                verticalOne<Channels>(picture, x + k, y0 + slope * k, planes, at + k);
            continue;
        }
        const __m256 start = _mm256_set1_ps(float(y0 - low));
        __m256 left[5], right[5];
        rowWeights(_mm256_fmadd_ps(step, lanes, start), left);
        rowWeights(_mm256_add_ps(upper, start), right);
        __m256i w[5];
        for (int m = 0; m < 5; ++m)
            w[m] = fixedWeights(left[m], right[m]);
        const uchar* const source = bytes + size_t(int(low) - 1) * 4 * width + x;
        Sample* const into[4] = {target[0] + at, target[1] + at, target[2] + at, target[3] + at};
        if (high > low)
            columnTaps<5, Channels>(source, width, w, into);
        else
            columnTaps<4, Channels>(source, width, w, into);
    }
    for (; x <= row.last; ++x)
        verticalOne<Channels>(picture, x, row.yAtZero + slope * x, planes, kPad + x - row.first);
}

// The taps of sixteen output pixels whose first taps slip by at most `Spread` values across
// the group: load[q] holds the values from `from` + q, and lane l with slip d_l takes, for tap
// i, load[i + Spread − d_l]. Straight-line code for each spread, loads kept in registers.
template <int Spread, int Channels>
TAVI_WIDE inline void shiftedTaps(const Sample* const from[4], const __m256i* w, const __m256i* by,
                                  __m256i* acc) {
    for (int c = 0; c < Channels; ++c) {
        __m256i load[Spread + 4];
        for (int q = 0; q < Spread + 4; ++q)
            load[q] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from[c] + q));
        __m256i sum = _mm256_setzero_si256();
        for (int i = 0; i < 4; ++i) {
            __m256i tap = load[i + Spread];
            for (int s = 1; s <= Spread; ++s)
                tap = _mm256_blendv_epi8(tap, load[i + Spread - s], by[s]);
            sum = _mm256_add_epi16(sum, _mm256_mulhrs_epi16(tap, w[i]));
        }
        acc[c] = sum;
    }
}

// A sum in 32nds of a level, rounded to levels.
TAVI_WIDE inline __m256i level(__m256i sum) {
    return _mm256_srai_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(16)), 5);
}

// Sixteen premultiplied pixels from such sums: colour clamped to alpha, packed and interleaved
// into 64 bytes.
template <int Channels>
TAVI_WIDE inline void storeSixteen(const __m256i* acc, uchar* out) {
    __m256i alpha = _mm256_set1_epi16(255), r = level(acc[0]), g = level(acc[1]), b = level(acc[2]);
    if constexpr (Channels == 4) {
        alpha = level(acc[3]);
        r = _mm256_min_epi16(r, alpha);
        g = _mm256_min_epi16(g, alpha);
        b = _mm256_min_epi16(b, alpha);
    }
    // Per 128-bit half h: rg = r(8h ... 8h+7), g(...); ba likewise.
    const __m256i rg = _mm256_packus_epi16(r, g), ba = _mm256_packus_epi16(b, alpha);
    const __m256i rb = _mm256_unpacklo_epi8(rg, ba), ga = _mm256_unpackhi_epi8(rg, ba);
    const __m256i first = _mm256_unpacklo_epi8(rb, ga);  // pixels 0-3 | 8-11
    const __m256i second = _mm256_unpackhi_epi8(rb, ga); // pixels 4-7 | 12-15
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(first, second, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(first, second, 0x31));
}

// The largest slip across a group that has straight-line code; a straighten of up to about eight
// degrees stays within it.
constexpr int kMostSpread = 4;

// Sixteen output pixels at a time from the intermediate row. With a step near one pixel each
// lane's taps start at one of a few neighbouring shifts of the group's window, so every tap is a
// plain load at one of those shifts, blended by lane: no gathers, no permutes. Groups whose
// window would leave the row, or that slip further, take the scalar path.
template <int Channels>
TAVI_WIDE void horizontalWide(Sample* const planes[4], int padded, double start, double a, int width, uchar* out) {
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 step = _mm256_set1_ps(float(a));
    const __m256 upper = _mm256_fmadd_ps(step, _mm256_set1_ps(8.0f), _mm256_mul_ps(step, lanes));
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
    const __m256i ramp = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    int u = 0;
    for (; u + 16 <= width; u += 16) {
        const double x0 = start + a * u;
        const double floor0 = std::floor(x0);
        const int base = int(floor0) - 1; // the first lane's first tap
        // Positions relative to the first lane's pixel: small numbers, exact enough in floats.
        const __m256 origin = _mm256_set1_ps(float(x0 - floor0));
        const __m256 xsLeft = _mm256_fmadd_ps(step, lanes, origin), xsRight = _mm256_add_ps(upper, origin);
        const __m256 wholeLeft = _mm256_floor_ps(xsLeft), wholeRight = _mm256_floor_ps(xsRight);
        // Lane l's taps start at base + l − slip_l; the slip changes monotonically along the group.
        const __m256i slipLeft = _mm256_sub_epi32(ramp, _mm256_cvttps_epi32(wholeLeft));
        const __m256i slipRight =
            _mm256_sub_epi32(_mm256_add_epi32(ramp, _mm256_set1_epi32(8)), _mm256_cvttps_epi32(wholeRight));
        const int slip0 = _mm256_cvtsi256_si32(slipLeft), slip15 = _mm256_extract_epi32(slipRight, 7);
        const int least = std::min(slip0, slip15), most = std::max(slip0, slip15);
        if (!(most - least <= kMostSpread && base - most >= 0 && base - least + 3 + 16 <= padded)) {
            for (int k = 0; k < 16; ++k)
                horizontalOne<Channels>(planes, padded, x0 + a * k, out + size_t(u + k) * 4);
            continue;
        }
        __m256 left[4], right[4];
        weights(_mm256_min_ps(_mm256_max_ps(_mm256_sub_ps(xsLeft, wholeLeft), zero), one), left);
        weights(_mm256_min_ps(_mm256_max_ps(_mm256_sub_ps(xsRight, wholeRight), zero), one), right);
        __m256i w[4];
        for (int i = 0; i < 4; ++i)
            w[i] = fixedWeights(left[i], right[i]);
        const __m256i d = _mm256_permute4x64_epi64(
            _mm256_packs_epi32(_mm256_sub_epi32(slipLeft, _mm256_set1_epi32(least)),
                               _mm256_sub_epi32(slipRight, _mm256_set1_epi32(least))),
            0xd8);
        __m256i by[kMostSpread + 1];
        for (int k = 1; k <= kMostSpread; ++k)
            by[k] = _mm256_cmpeq_epi16(d, _mm256_set1_epi16(short(k)));
        const Sample* const from[4] = {planes[0] + base - most, planes[1] + base - most, planes[2] + base - most,
                                       planes[3] + base - most};
        __m256i acc[4];
        switch (most - least) {
        case 0:
            shiftedTaps<0, Channels>(from, w, by, acc);
            break;
        case 1:
            shiftedTaps<1, Channels>(from, w, by, acc);
            break;
        case 2:
            shiftedTaps<2, Channels>(from, w, by, acc);
            break;
        case 3:
            shiftedTaps<3, Channels>(from, w, by, acc);
            break;
        default:
            shiftedTaps<4, Channels>(from, w, by, acc);
            break;
        }
        storeSixteen<Channels>(acc, out + size_t(u) * 4);
    }
    for (; u < width; ++u)
        horizontalOne<Channels>(planes, padded, start + a * u, out + size_t(u) * 4);
}
#endif

} // namespace

bool suits(const Map& m) {
    if (!std::isfinite(m.a + m.b + m.c + m.d + m.e + m.f)) return false;
    // Output rows run along picture rows, left to right, at most 1.5 picture pixels a step (the
    // horizontal window), and picture columns run down the output (the vertical pass). Steep
    // turns are left to the 4 x 4 filter: the second pass then interpolates across columns
    // sampled at quite different heights, which on fine texture strays from it by several
    // levels. Up to about eight degrees the two agree to rounding.
    return m.a > 0.05 && m.a <= 1.5 && std::abs(m.d / m.a) <= 0.15 && m.e - m.d * m.b / m.a > 0.05;
}

QImage apply(const PlanarBytes& picture, const Map& m, QSize size) {
    if (picture.isNull() || size.isEmpty()) return {};
    QImage out(size, QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull()) return {};
    const int columns = picture.width, width = size.width();
    // y along an output row's picture columns: y = slope x + e' v + f'.
    const double slope = m.d / m.a, eRow = m.e - m.d * m.b / m.a, fRow = m.f - m.d * m.c / m.a;
#if defined(TAVI_WIDE_KERNELS)
    const bool wide = wideKernelsAvailable();
#endif
    parallelBands(size.height(), 8, [&](int begin, int end) {
        std::vector<Sample> storage;
        for (int v = begin; v < end; ++v) {
            Row row;
            row.xAtZero = m.b * v + m.c;
            row.yAtZero = eRow * v + fRow;
            const double xLast = row.xAtZero + m.a * (width - 1);
            row.first = int(std::clamp(std::floor(row.xAtZero) - 1, 0.0, double(columns - 1)));
            row.last = int(std::clamp(std::floor(xLast) + 2, 0.0, double(columns - 1)));
            const int span = row.last - row.first + 1, padded = span + 2 * kPad;
            storage.resize(size_t(padded) * 4);
            Sample* planes[4];
            for (int c = 0; c < 4; ++c)
                planes[c] = storage.data() + size_t(c) * padded;
#if defined(TAVI_WIDE_KERNELS)
            if (wide)
                picture.opaque ? verticalWide<3>(picture, slope, row, planes)
                               : verticalWide<4>(picture, slope, row, planes);
            else
#endif
                for (int x = row.first; x <= row.last; ++x)
                    picture.opaque
                        ? verticalOne<3>(picture, x, row.yAtZero + slope * x, planes, kPad + x - row.first)
                        : verticalOne<4>(picture, x, row.yAtZero + slope * x, planes, kPad + x - row.first);
            for (int c = 0; c < (picture.opaque ? 3 : 4); ++c) {
                Sample* p = planes[c];
                std::fill(p, p + kPad, p[kPad]);
                std::fill(p + kPad + span, p + padded, p[kPad + span - 1]);
            }
            // Positions along the padded row: picture column x sits at index kPad + x − first.
            const double start = row.xAtZero + kPad - row.first;
            uchar* dst = out.scanLine(v);
#if defined(TAVI_WIDE_KERNELS)
            if (wide) {
                if (picture.opaque)
                    horizontalWide<3>(planes, padded, start, m.a, width, dst);
                else
                    horizontalWide<4>(planes, padded, start, m.a, width, dst);
                continue;
            }
#endif
            for (int u = 0; u < width; ++u) {
                if (picture.opaque)
                    horizontalOne<3>(planes, padded, start + m.a * u, dst + size_t(u) * 4);
                else
                    horizontalOne<4>(planes, padded, start + m.a * u, dst + size_t(u) * 4);
            }
        }
    });
    return out;
}

} // namespace separableStraighten
