#include "core/imaging/SeparableStraighten.h"

#include "core/imaging/CatmullRom.h"
#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/WideKernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace separableStraighten {
namespace {

// Edge copies each side of the intermediate row: the horizontal pass reads windows of sixteen
// values, and taps past the picture's edge read its edge.
constexpr int kPad = 20;

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

// Column x of the picture resampled at y: the four premultiplied components, 0...255.
// `Channels` 3: the picture is opaque, alpha is not resampled.
template <int Channels>
inline void verticalOne(const PlanarBytes& picture, int x, double y, float* const planes[4], int at) {
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
        planes[c][at] = acc[c];
}

// The intermediate row (padded) resampled at `position`, an index into it.
template <int Channels>
inline void horizontalOne(float* const planes[4], int padded, double position, uchar* dst) {
    const double floor = std::floor(position);
    float w[4];
    catmullRomWeights(float(position - floor), w);
    const long long first = (long long)floor - 1;
    float acc[4] = {0, 0, 0, 255.0f};
    for (int i = 0; i < 4; ++i) {
        const size_t k = size_t(std::clamp<long long>(first + i, 0, padded - 1));
        for (int c = 0; c < Channels; ++c)
            acc[c] += w[i] * planes[c][k];
    }
    if (Channels == 4) acc[3] -= 255.0f;
    store(acc, dst);
}

#if defined(TAVI_WIDE_KERNELS)

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

// Eight premultiplied pixels (planar, 0...255) clamped, rounded and stored as 32 bytes.
TAVI_WIDE inline void storeEight(__m256 r, __m256 g, __m256 b, __m256 a, uchar* out) {
    const __m256 zero = _mm256_setzero_ps(), half = _mm256_set1_ps(0.5f);
    a = _mm256_min_ps(_mm256_max_ps(a, zero), _mm256_set1_ps(255.0f));
    r = _mm256_min_ps(_mm256_max_ps(r, zero), a);
    g = _mm256_min_ps(_mm256_max_ps(g, zero), a);
    b = _mm256_min_ps(_mm256_max_ps(b, zero), a);
    transposeHalves(r, g, b, a); // pixels (0, 4), (1, 5), (2, 6), (3, 7)
    const __m256i p0 = _mm256_cvttps_epi32(_mm256_add_ps(r, half));
    const __m256i p1 = _mm256_cvttps_epi32(_mm256_add_ps(g, half));
    const __m256i p2 = _mm256_cvttps_epi32(_mm256_add_ps(b, half));
    const __m256i p3 = _mm256_cvttps_epi32(_mm256_add_ps(a, half));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_packus_epi16(_mm256_packs_epi32(p0, p1), _mm256_packs_epi32(p2, p3)));
}

// Eight columns' taps from `Taps` picture rows down from `top`: a lane whose taps start a row
// further down (`shifted`) takes each row's weight from the tap before. Straight-line code for
// four and for five rows.
template <int Taps, int Channels>
TAVI_WIDE inline void rowTaps(const PlanarBytes& picture, int top, int x, const __m256* w, __m256 shifted,
                              float* const planes[4], int at) {
    const __m256 zero = _mm256_setzero_ps();
    __m256 acc[Channels];
    for (int c = 0; c < Channels; ++c)
        acc[c] = zero;
    for (int m = 0; m < Taps; ++m) {
        const __m256 weight = _mm256_blendv_ps(m < 4 ? w[m] : zero, m > 0 ? w[m - 1] : zero, shifted);
        for (int c = 0; c < Channels; ++c) {
            const __m128i bytes =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(picture.plane(top + m, c) + x));
            acc[c] = _mm256_fmadd_ps(weight, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes)), acc[c]);
        }
    }
    for (int c = 0; c < Channels; ++c)
        _mm256_storeu_ps(planes[c] + at, acc[c]);
}

// Eight picture columns at a time into the intermediate row. Their positions down the columns
// span at most five picture rows while the map turns by less than about eight degrees (any
// straighten but the steepest); each lane then weights the rows its own four taps fall on.
// Other groups, and those whose taps reach past the picture, take the scalar path.
template <int Channels>
TAVI_WIDE void verticalWide(const PlanarBytes& picture, double slope, const Row& row,
                            float* const planes[4]) {
    const int rows = picture.height;
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 step = _mm256_set1_ps(float(slope));
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
    int x = row.first;
    for (; x + 8 <= row.last + 1; x += 8) {
        const int at = kPad + x - row.first;
        const double y0 = row.yAtZero + slope * x, y7 = y0 + slope * 7;
        const double low = std::floor(std::min(y0, y7)), high = std::floor(std::max(y0, y7));
        if (!(low - 1 >= 0 && high + 2 <= rows - 1 && high - low <= 1)) {
            for (int k = 0; k < 8; ++k)
                verticalOne<Channels>(picture, x + k, y0 + slope * k, planes, at + k);
            continue;
        }
        const int top = int(low) - 1;
        const __m256 ys = _mm256_fmadd_ps(step, lanes, _mm256_set1_ps(float(y0 - low)));
        // 0 or 1: whether the lane's taps start a row further down. A position that rounds onto
        // the next row keeps its row with a fraction of 1, which reads the same.
        const __m256 whole = _mm256_min_ps(_mm256_max_ps(_mm256_floor_ps(ys), zero), one);
        __m256 w[4];
        weights(_mm256_min_ps(_mm256_max_ps(_mm256_sub_ps(ys, whole), zero), one), w);
        const __m256 shifted = _mm256_cmp_ps(whole, _mm256_set1_ps(0.5f), _CMP_GT_OQ);
        if (high > low)
            rowTaps<5, Channels>(picture, top, x, w, shifted, planes, at);
        else
            rowTaps<4, Channels>(picture, top, x, w, shifted, planes, at);
    }
    for (; x <= row.last; ++x)
        verticalOne<Channels>(picture, x, row.yAtZero + slope * x, planes, kPad + x - row.first);
}

// The taps of eight output pixels whose first taps slip by at most `Spread` values across the
// group: load[q] holds the values from `from` + q, and lane l with slip d_l takes, for tap i,
// load[i + Spread − d_l]. Straight-line code for each spread, loads kept in registers.
template <int Spread, int Channels>
TAVI_WIDE inline void shiftedTaps(const float* const from[3], const float* alphaFrom, const __m256* w,
                                  __m256 byOne, __m256 byTwo, __m256* acc) {
    for (int c = 0; c < 4; ++c) {
        if (c == 3 && Channels == 3) {
            acc[3] = _mm256_set1_ps(255.0f);
            break;
        }
        const float* source = c < 3 ? from[c] : alphaFrom;
        __m256 load[Spread + 4];
        for (int q = 0; q < Spread + 4; ++q)
            load[q] = _mm256_loadu_ps(source + q);
        __m256 sum = _mm256_setzero_ps();
        for (int i = 0; i < 4; ++i) {
            __m256 tap = load[i + Spread];
            if constexpr (Spread >= 1) tap = _mm256_blendv_ps(tap, load[i + Spread - 1], byOne);
            if constexpr (Spread >= 2) tap = _mm256_blendv_ps(tap, load[i + Spread - 2], byTwo);
            sum = _mm256_fmadd_ps(w[i], tap, sum);
        }
        acc[c] = sum;
    }
}

// Eight output pixels at a time from the intermediate row. Their taps fall in one window of
// sixteen values that two loads bring in; each lane's four taps are picked out of it by
// permutes, so no gather. Groups whose window would leave the row take the scalar path.
template <int Channels>
TAVI_WIDE void horizontalWide(float* const planes[4], int padded, double start, double a, int width,
                              uchar* out) {
    const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 step = _mm256_set1_ps(float(a));
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
    const __m256i seven = _mm256_set1_epi32(7);
    int u = 0;
    for (; u + 8 <= width; u += 8) {
        const double x0 = start + a * u;
        const double floor0 = std::floor(x0);
        const double first = floor0 - 1, last = std::floor(x0 + a * 7) + 2;
        // One value of slack in the window: a lane's float position may round up a pixel.
        if (!(first >= 0 && first + 16 <= padded && last - first <= 14)) {
            for (int k = 0; k < 8; ++k)
                horizontalOne<Channels>(planes, padded, x0 + a * k, out + size_t(u + k) * 4);
            continue;
        }
        const int base = int(first);
        // Positions relative to the first lane's pixel: small numbers, exact enough in floats.
        const __m256 xs = _mm256_fmadd_ps(step, lanes, _mm256_set1_ps(float(x0 - floor0)));
        const __m256 whole = _mm256_floor_ps(xs);
        __m256 w[4];
        weights(_mm256_min_ps(_mm256_max_ps(_mm256_sub_ps(xs, whole), zero), one), w);
        const __m256i offset = _mm256_cvttps_epi32(whole);
        // Lane l's taps start at base + l − k_l. With a step near one pixel (a straighten of a
        // few degrees) k takes at most three neighbouring values across the group, and each tap
        // is a plain load at one of those shifts, blended by lane: no permutes.
        const __m256i slip = _mm256_sub_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), offset);
        const int slip7 = _mm256_extract_epi32(slip, 7);
        const int least = std::min(0, slip7), most = std::max(0, slip7);
        if (most - least <= 2 && base - most >= 0 && base - least + 3 + 8 <= padded) {
            const __m256i d = _mm256_sub_epi32(slip, _mm256_set1_epi32(least));
            const __m256 byOne = _mm256_castsi256_ps(_mm256_cmpeq_epi32(d, _mm256_set1_epi32(1)));
            const __m256 byTwo = _mm256_castsi256_ps(_mm256_cmpeq_epi32(d, _mm256_set1_epi32(2)));
            const float* from[3] = {planes[0] + base - most, planes[1] + base - most,
                                    planes[2] + base - most};
            const float* const alphaFrom = planes[3] + base - most;
            __m256 acc[4];
            switch (most - least) {
            case 0:
                shiftedTaps<0, Channels>(from, alphaFrom, w, byOne, byTwo, acc);
                break;
            case 1:
                shiftedTaps<1, Channels>(from, alphaFrom, w, byOne, byTwo, acc);
                break;
            default:
                shiftedTaps<2, Channels>(from, alphaFrom, w, byOne, byTwo, acc);
                break;
            }
            storeEight(acc[0], acc[1], acc[2], acc[3], out + size_t(u) * 4);
            continue;
        }
        __m256 index[4], beyond[4];
        for (int i = 0; i < 4; ++i) {
            const __m256i k = _mm256_add_epi32(offset, _mm256_set1_epi32(i));
            index[i] = _mm256_castsi256_ps(k);
            beyond[i] = _mm256_castsi256_ps(_mm256_cmpgt_epi32(k, seven));
        }
        __m256 acc[4];
        acc[3] = _mm256_set1_ps(255.0f);
        for (int c = 0; c < Channels; ++c) {
            const __m256 low = _mm256_loadu_ps(planes[c] + base),
                         high = _mm256_loadu_ps(planes[c] + base + 8);
            __m256 sum = zero;
            for (int i = 0; i < 4; ++i) {
                const __m256i k = _mm256_castps_si256(index[i]);
                const __m256 tap = _mm256_blendv_ps(_mm256_permutevar8x32_ps(low, k),
                                                    _mm256_permutevar8x32_ps(high, k), beyond[i]);
                sum = _mm256_fmadd_ps(w[i], tap, sum);
            }
            acc[c] = sum;
        }
        storeEight(acc[0], acc[1], acc[2], acc[3], out + size_t(u) * 4);
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
        std::vector<float> storage;
        for (int v = begin; v < end; ++v) {
            Row row;
            row.xAtZero = m.b * v + m.c;
            row.yAtZero = eRow * v + fRow;
            const double xLast = row.xAtZero + m.a * (width - 1);
            row.first = int(std::clamp(std::floor(row.xAtZero) - 1, 0.0, double(columns - 1)));
            row.last = int(std::clamp(std::floor(xLast) + 2, 0.0, double(columns - 1)));
            const int span = row.last - row.first + 1, padded = span + 2 * kPad;
            storage.resize(size_t(padded) * 4);
            float* planes[4];
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
                float* p = planes[c];
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
