#include "core/imaging/filters/ColorLut3D.h"

#include "core/imaging/filters/ParallelRows.h"

#include <algorithm>

ColorLut3D::ColorLut3D(const Transform& transform) {
    table_.resize(size_t(kSize) * kSize * kSize * 3);
    parallelBands(kSize, 4, [&](int begin, int end) {
        for (int b = begin; b < end; ++b)
            for (int g = 0; g < kSize; ++g)
                for (int r = 0; r < kSize; ++r) {
                    float cr = float(r) / (kSize - 1), cg = float(g) / (kSize - 1), cb = float(b) / (kSize - 1);
                    transform(cr, cg, cb);
                    float* out = &table_[((size_t(b) * kSize + g) * kSize + r) * 3];
                    out[0] = cr;
                    out[1] = cg;
                    out[2] = cb;
                }
    });
}

void ColorLut3D::apply(float& r, float& g, float& b) const {
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
    constexpr size_t sr = 3, sg = 3 * kSize, sb = 3 * kSize * kSize;
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
    r = w0 * c000[0] + w1 * c1[0] + w2 * c2[0] + w3 * c3[0];
    g = w0 * c000[1] + w1 * c1[1] + w2 * c2[1] + w3 * c3[1];
    b = w0 * c000[2] + w1 * c1[2] + w2 * c2[2] + w3 * c3[2];
}

void ColorLut3D::apply(PixelRow& row) const {
    float* p = row.pixels;
    for (int i = 0; i < row.count; ++i, p += 4) apply(p[0], p[1], p[2]);
}
