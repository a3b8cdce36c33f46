#include "core/imaging/filters/ColorLut3D.h"

#include "core/imaging/filters/ParallelRows.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

ColorLut3D::ColorLut3D(const Transform& transform) {
    table_.resize(size_t(kSize) * kSize * kSize * 4);
    parallelBands(kSize, 4, [&](int begin, int end) {
        for (int b = begin; b < end; ++b)
            for (int g = 0; g < kSize; ++g)
                for (int r = 0; r < kSize; ++r) {
                    float cr = float(r) / (kSize - 1), cg = float(g) / (kSize - 1), cb = float(b) / (kSize - 1);
                    transform(cr, cg, cb);
                    float* out = &table_[((size_t(b) * kSize + g) * kSize + r) * 4];
                    out[0] = cr;
                    out[1] = cg;
                    out[2] = cb;
                    out[3] = 0;
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

void ColorLut3D::apply(PixelRow& row) const {
    float* p = row.pixels;
#if defined(__SSE2__)
    // Entries are padded to four floats, so each corner is one vector load.
    for (int i = 0; i < row.count; ++i, p += 4) {
        const Corners k = corners(table_, p[0], p[1], p[2]);
        __m128 v = _mm_mul_ps(_mm_set1_ps(k.w[0]), _mm_loadu_ps(k.c[0]));
        v = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(k.w[1]), _mm_loadu_ps(k.c[1])));
        v = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(k.w[2]), _mm_loadu_ps(k.c[2])));
        v = _mm_add_ps(v, _mm_mul_ps(_mm_set1_ps(k.w[3]), _mm_loadu_ps(k.c[3])));
        const float alpha = p[3];
        _mm_storeu_ps(p, v);
        p[3] = alpha;
    }
#else
    for (int i = 0; i < row.count; ++i, p += 4) apply(p[0], p[1], p[2]);
#endif
}
