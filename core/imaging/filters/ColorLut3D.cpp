#include "core/imaging/filters/ColorLut3D.h"

#include "core/imaging/filters/ParallelRows.h"
#include "core/imaging/filters/WideKernels.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

ColorLut3D::ColorLut3D(const Transform& transform)
    : ColorLut3D(RowTransform([&transform](float* r, float* g, float* b, int n) {
          for (int i = 0; i < n; ++i) transform(r[i], g[i], b[i]);
      })) {}

ColorLut3D::ColorLut3D(const RowTransform& transform) {
    table_.resize(size_t(kSize) * kSize * kSize * 4);
    // Split by grid row rather than by blue plane: 33 planes don't share evenly between two
    // threads' bands, and a colour drag bakes a table on every value.
    parallelBands(kSize * kSize, 64, [&](int begin, int end) {
        float r[kSize], g[kSize], b[kSize];
        for (int row = begin; row < end; ++row) {
            const int ib = row / kSize, ig = row % kSize;
            for (int ir = 0; ir < kSize; ++ir) {
                r[ir] = float(ir) / (kSize - 1);
                g[ir] = float(ig) / (kSize - 1);
                b[ir] = float(ib) / (kSize - 1);
            }
            transform(r, g, b, kSize);
            float* out = &table_[size_t(row) * kSize * 4];
            for (int ir = 0; ir < kSize; ++ir, out += 4) {
                out[0] = r[ir];
                out[1] = g[ir];
                out[2] = b[ir];
                out[3] = 0;
            }
        }
    });
}

namespace {
struct Corners {
    const float* c[4];
    float w[4];
};
} // namespace

[[gnu::always_inline]] static inline Corners corners(const std::vector<float>& table_, float r, float g, float b) {
    constexpr int kSize = ColorLut3D::kSize;
    constexpr float scale = kSize - 1;
    // Written so that a value that is not a number lands on 0 instead of an index.
    auto unit = [](float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; };
    const float fr = unit(r) * scale;
    const float fg = unit(g) * scale;
    const float fb = unit(b) * scale;
    const int ir = std::min(int(fr), kSize - 2);
    const int ig = std::min(int(fg), kSize - 2);
    const int ib = std::min(int(fb), kSize - 2);
    const float dr = fr - float(ir), dg = fg - float(ig), db = fb - float(ib);
    constexpr size_t sr = 4, sg = 4 * kSize, sb = 4 * kSize * kSize;
    const float* c000 = &table_[ib * sb + ig * sg + ir * sr];
    // The unit cube splits into six tetrahedra along its diagonal; each pixel blends the four
    // corners of the one it falls in: walk from the near corner along the axes in order of
    // decreasing fraction. A three-element sorting network picks the order without branches
    // (the fractions of neighbouring pixels are as good as random, so branches would mispredict).
    float f0 = dr, f1 = dg, f2 = db;
    size_t s0 = sr, s1 = sg, s2 = sb;
    auto order = [](float& fa, float& fb, size_t& sa, size_t& sb2) {
        const bool swap = fa < fb;
        const float hi = swap ? fb : fa, lo = swap ? fa : fb;
        const size_t shi = swap ? sb2 : sa, slo = swap ? sa : sb2;
        fa = hi;
        fb = lo;
        sa = shi;
        sb2 = slo;
    };
    order(f0, f1, s0, s1);
    order(f1, f2, s1, s2);
    order(f0, f1, s0, s1);
    const float* c1 = c000 + s0;
    const float* c2 = c1 + s1;
    const float* c3 = c000 + sr + sg + sb;
    const float w0 = 1 - f0, w1 = f0 - f1, w2 = f1 - f2, w3 = f2;
    return {{c000, c1, c2, c3}, {w0, w1, w2, w3}};
}

void ColorLut3D::apply(float& r, float& g, float& b) const {
    const Corners k = corners(table_, r, g, b);
    r = k.w[0] * k.c[0][0] + k.w[1] * k.c[1][0] + k.w[2] * k.c[2][0] + k.w[3] * k.c[3][0];
    g = k.w[0] * k.c[0][1] + k.w[1] * k.c[1][1] + k.w[2] * k.c[2][1] + k.w[3] * k.c[3][1];
    b = k.w[0] * k.c[0][2] + k.w[1] * k.c[1][2] + k.w[2] * k.c[2][2] + k.w[3] * k.c[3][2];
}

#if defined(TAVI_WIDE_KERNELS)
namespace {

// The blend of pixels K (lanes 0-3) and K + 4 (lanes 4-7): their entries at the near corners
// `c` and the steps from there (`c` + 8, see applyWide), each weight spread over its half by an
// in-lane permute, which more execution ports take than a cross-lane one.
template <int K>
TAVI_WIDE inline __m256 pixelPair(const float* t, const int* c, __m256 w0, __m256 w1, __m256 w2, __m256 w3) {
    constexpr int kSize = ColorLut3D::kSize, far = 4 + 4 * kSize + 4 * kSize * kSize, pick = K * 0x55;
    const float* const low = t + c[K];
    const float* const high = t + c[K + 4];
    const unsigned lowSteps = unsigned(c[8 + K]), highSteps = unsigned(c[8 + K + 4]);
    const __m256 e0 = _mm256_loadu2_m128(high, low);
    const __m256 e1 = _mm256_loadu2_m128(high + (highSteps & 0xffff), low + (lowSteps & 0xffff));
    const __m256 e2 = _mm256_loadu2_m128(high + (highSteps >> 16), low + (lowSteps >> 16));
    const __m256 e3 = _mm256_loadu2_m128(high + far, low + far);
    __m256 v = _mm256_mul_ps(_mm256_permute_ps(w0, pick), e0);
    v = _mm256_fmadd_ps(_mm256_permute_ps(w1, pick), e1, v);
    v = _mm256_fmadd_ps(_mm256_permute_ps(w2, pick), e2, v);
    return _mm256_fmadd_ps(_mm256_permute_ps(w3, pick), e3, v);
}

// The corner search of eight pixels: each pixel's near corner, then its steps to the second and
// third corners in one word (low and high half; both are under 2^13), and the four weights.
struct Search {
    alignas(32) int corners[16];
    alignas(32) float weights[4][8];
};

// The search of the SSE path on eight lanes.
TAVI_WIDE inline void search(const float* rs, const float* gs, const float* bs, Search& s) {
    constexpr int kSize = ColorLut3D::kSize;
    const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f), scale = _mm256_set1_ps(kSize - 1);
    const __m256 top = _mm256_set1_ps(kSize - 2);
    const __m256i sr = _mm256_set1_epi32(4), sg = _mm256_set1_epi32(4 * kSize),
                  sb = _mm256_set1_epi32(4 * kSize * kSize);
    const __m256i sAll = _mm256_add_epi32(sr, _mm256_add_epi32(sg, sb));
#define TAVI_GRID(v) _mm256_mul_ps(_mm256_min_ps(_mm256_max_ps(v, zero), one), scale)
#define TAVI_PICK(mask, a, b) \
    _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(b), _mm256_castsi256_ps(a), mask))
    const __m256 r = TAVI_GRID(_mm256_loadu_ps(rs));
    const __m256 g = TAVI_GRID(_mm256_loadu_ps(gs));
    const __m256 b = TAVI_GRID(_mm256_loadu_ps(bs));
    const __m256 ir = _mm256_min_ps(_mm256_floor_ps(r), top);
    const __m256 ig = _mm256_min_ps(_mm256_floor_ps(g), top);
    const __m256 ib = _mm256_min_ps(_mm256_floor_ps(b), top);
    const __m256 dr = _mm256_sub_ps(r, ir), dg = _mm256_sub_ps(g, ig), db = _mm256_sub_ps(b, ib);
    // The grid offset in floats (exact: far below 2^24), one conversion instead of three
    // conversions and three integer multiplies.
    const __m256i base = _mm256_cvttps_epi32(_mm256_fmadd_ps(
        ib, _mm256_set1_ps(4.0f * kSize * kSize),
        _mm256_fmadd_ps(ig, _mm256_set1_ps(4.0f * kSize), _mm256_mul_ps(ir, _mm256_set1_ps(4.0f)))));
    const __m256 rg = _mm256_cmp_ps(dr, dg, _CMP_GE_OQ), gb = _mm256_cmp_ps(dg, db, _CMP_GE_OQ);
    const __m256 rb = _mm256_cmp_ps(dr, db, _CMP_GE_OQ);
    const __m256i largest = TAVI_PICK(_mm256_and_ps(rg, rb), sr, TAVI_PICK(gb, sg, sb));
    const __m256i smallest = TAVI_PICK(_mm256_and_ps(gb, rb), sb, TAVI_PICK(rg, sg, sr));
    const __m256 hi = _mm256_max_ps(_mm256_max_ps(dr, dg), db), lo = _mm256_min_ps(_mm256_min_ps(dr, dg), db);
    const __m256 mid = _mm256_sub_ps(_mm256_add_ps(_mm256_add_ps(dr, dg), db), _mm256_add_ps(hi, lo));
    _mm256_store_si256(reinterpret_cast<__m256i*>(s.corners), base);
    _mm256_store_si256(reinterpret_cast<__m256i*>(s.corners + 8),
                       _mm256_or_si256(largest, _mm256_slli_epi32(_mm256_sub_epi32(sAll, smallest), 16)));
    _mm256_store_ps(s.weights[0], _mm256_sub_ps(one, hi));
    _mm256_store_ps(s.weights[1], _mm256_sub_ps(hi, mid));
    _mm256_store_ps(s.weights[2], _mm256_sub_ps(mid, lo));
    _mm256_store_ps(s.weights[3], lo);
#undef TAVI_GRID
#undef TAVI_PICK
}

// Eight pixels at a time with AVX2 and FMA: the corner search runs on eight lanes, then each
// pixel pair (i, i + 4) shares one 256-bit register per corner (an entry per half), so the blend
// costs four fused multiply-adds per two pixels. Pairing i with i + 4 makes the in-lane
// transpose at the end yield eight consecutive values of each component.
// The search runs a group ahead of the blend: the corners it stores are read back a whole group
// later, from the cache, instead of by loads that wait on the stores just made.
// `luma`, when given, receives each result's luma (lumaOf), while the components are in registers.
TAVI_WIDE int applyWide(const float* t, float* rs, float* gs, float* bs, float* luma, int count) {
    if (count < 8) return 0;
    Search searches[2];
    search(rs, gs, bs, searches[0]);
    int i = 0, current = 0;
    for (; i + 8 <= count; i += 8, current ^= 1) {
        if (i + 16 <= count) search(rs + i + 8, gs + i + 8, bs + i + 8, searches[current ^ 1]);
        const Search& s = searches[current];
        // Read back through a pointer the compiler can't see through: scalar loads use the
        // otherwise idle load ports, where lane extracts would compete with the blend's shuffles.
        const int* c0 = s.corners;
        asm("" : "+r"(c0) : "m"(searches));
        const __m256 w0 = _mm256_load_ps(s.weights[0]), w1 = _mm256_load_ps(s.weights[1]);
        const __m256 w2 = _mm256_load_ps(s.weights[2]), w3 = _mm256_load_ps(s.weights[3]);
        const __m256 out[4] = {pixelPair<0>(t, c0, w0, w1, w2, w3), pixelPair<1>(t, c0, w0, w1, w2, w3),
                               pixelPair<2>(t, c0, w0, w1, w2, w3), pixelPair<3>(t, c0, w0, w1, w2, w3)};
        // In-lane 4 x 4 transpose: lane half h of out[k] is pixel k + 4h, so row c of the result
        // is component c of pixels 0 ... 7 in order.
        const __m256 t0 = _mm256_unpacklo_ps(out[0], out[1]), t1 = _mm256_unpackhi_ps(out[0], out[1]);
        const __m256 t2 = _mm256_unpacklo_ps(out[2], out[3]), t3 = _mm256_unpackhi_ps(out[2], out[3]);
        const __m256 outR = _mm256_shuffle_ps(t0, t2, 0x44), outG = _mm256_shuffle_ps(t0, t2, 0xee);
        const __m256 outB = _mm256_shuffle_ps(t1, t3, 0x44);
        _mm256_storeu_ps(rs + i, outR);
        _mm256_storeu_ps(gs + i, outG);
        _mm256_storeu_ps(bs + i, outB);
        if (luma)
            _mm256_storeu_ps(luma + i,
                             _mm256_fmadd_ps(_mm256_set1_ps(0.2126f), outR,
                                             _mm256_fmadd_ps(_mm256_set1_ps(0.7152f), outG,
                                                             _mm256_mul_ps(_mm256_set1_ps(0.0722f), outB))));
    }
    return i;
}


} // namespace
#endif

void ColorLut3D::apply(PixelRow& row) const {
    apply(row, nullptr);
}

void ColorLut3D::apply(PixelRow& row, float* luma) const {
    float* const rs = row.r;
    float* const gs = row.g;
    float* const bs = row.b;
    int i = 0;
#if defined(TAVI_WIDE_KERNELS)
    if (wideKernelsAvailable()) i = applyWide(table_.data(), rs, gs, bs, luma, row.count);
#endif
    const int wideDone = i;
#if defined(__SSE2__)
    // Four pixels at a time: the corner search of the scalar path done lane-wise, then sixteen
    // entry loads. Entries are padded to four floats, so each corner is one vector load and the
    // four results transpose back into the component arrays. The grid index is kept in floats
    // (exact: the largest offset is far below 2^24), since SSE2 has no 32-bit integer multiply.
    const float* const t = table_.data();
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f), scale = _mm_set1_ps(kSize - 1);
    const __m128 top = _mm_set1_ps(kSize - 2);
    const __m128 sr = _mm_set1_ps(4), sg = _mm_set1_ps(4 * kSize), sb = _mm_set1_ps(4 * kSize * kSize);
    const __m128 sAll = _mm_add_ps(sr, _mm_add_ps(sg, sb));
    constexpr int far = 4 + 4 * kSize + 4 * kSize * kSize;
    auto select = [](__m128 mask, __m128 a, __m128 b) {
        return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
    };
    // max(v, 0) first: a value that is not a number compares false and becomes 0.
    auto grid = [&](__m128 v) { return _mm_mul_ps(_mm_min_ps(_mm_max_ps(v, zero), one), scale); };
    const int narrowCount = narrowKernelsAvailable() ? row.count : 0;
    for (; i + 4 <= narrowCount; i += 4) {
        const __m128 r = grid(_mm_loadu_ps(rs + i)), g = grid(_mm_loadu_ps(gs + i)), b = grid(_mm_loadu_ps(bs + i));
        const __m128 ir = _mm_min_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(r)), top);
        const __m128 ig = _mm_min_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(g)), top);
        const __m128 ib = _mm_min_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(b)), top);
        const __m128 dr = _mm_sub_ps(r, ir), dg = _mm_sub_ps(g, ig), db = _mm_sub_ps(b, ib);
        const __m128 base = _mm_add_ps(_mm_add_ps(_mm_mul_ps(ir, sr), _mm_mul_ps(ig, sg)), _mm_mul_ps(ib, sb));
        const __m128 rg = _mm_cmpge_ps(dr, dg), gb = _mm_cmpge_ps(dg, db), rb = _mm_cmpge_ps(dr, db);
        // The axis of the largest fraction is walked first, the one of the smallest last; ties
        // may pick either, as their weights are then zero.
        const __m128 largest = select(_mm_and_ps(rg, rb), sr, select(gb, sg, sb));
        const __m128 smallest = select(_mm_and_ps(gb, rb), sb, select(rg, sg, sr));
        const __m128 hi = _mm_max_ps(_mm_max_ps(dr, dg), db), lo = _mm_min_ps(_mm_min_ps(dr, dg), db);
        const __m128 mid = _mm_sub_ps(_mm_add_ps(_mm_add_ps(dr, dg), db), _mm_add_ps(hi, lo));
        alignas(16) int c0[4], c1[4], c2[4];
        alignas(16) float w0[4], w1[4], w2[4], w3[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(c0), _mm_cvttps_epi32(base));
        _mm_store_si128(reinterpret_cast<__m128i*>(c1), _mm_cvttps_epi32(_mm_add_ps(base, largest)));
        _mm_store_si128(reinterpret_cast<__m128i*>(c2), _mm_cvttps_epi32(_mm_sub_ps(_mm_add_ps(base, sAll), smallest)));
        _mm_store_ps(w0, _mm_sub_ps(one, hi));
        _mm_store_ps(w1, _mm_sub_ps(hi, mid));
        _mm_store_ps(w2, _mm_sub_ps(mid, lo));
        _mm_store_ps(w3, lo);
        __m128 out[4];
        for (int k = 0; k < 4; ++k) {
            __m128 v = _mm_mul_ps(_mm_set1_ps(w0[k]), _mm_loadu_ps(t + c0[k]));
            v = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(w1[k]), _mm_loadu_ps(t + c1[k])));
            v = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(w2[k]), _mm_loadu_ps(t + c2[k])));
            out[k] = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(w3[k]), _mm_loadu_ps(t + c0[k] + far)));
        }
        _MM_TRANSPOSE4_PS(out[0], out[1], out[2], out[3]);
        _mm_storeu_ps(rs + i, out[0]);
        _mm_storeu_ps(gs + i, out[1]);
        _mm_storeu_ps(bs + i, out[2]);
    }
#endif
    for (; i < row.count; ++i) apply(rs[i], gs[i], bs[i]);
    if (luma)
        for (int k = wideDone; k < row.count; ++k)
            luma[k] = lumaOf(rs[k], gs[k], bs[k]);
}
