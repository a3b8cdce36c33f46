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
    const float fr = std::clamp(r, 0.0f, 1.0f) * scale;
    const float fg = std::clamp(g, 0.0f, 1.0f) * scale;
    const float fb = std::clamp(b, 0.0f, 1.0f) * scale;
    const int ir = std::min(int(fr), kSize - 2);
    const int ig = std::min(int(fg), kSize - 2);
    const int ib = std::min(int(fb), kSize - 2);
    const float dr = fr - float(ir), dg = fg - float(ig), db = fb - float(ib);
    constexpr size_t sr = 3, sg = 3 * kSize, sb = 3 * kSize * kSize;
    const float* c000 = &table_[ib * sb + ig * sg + ir * sr];
    const float* c111 = c000 + sr + sg + sb;
    // The unit cube splits into six tetrahedra along its diagonal; each pixel blends the four
    // corners of the one it falls in.
    const float *c1, *c2;
    float w0, w1, w2, w3;
    if (dr >= dg) {
        if (dg >= db) { c1 = c000 + sr; c2 = c000 + sr + sg; w0 = 1 - dr; w1 = dr - dg; w2 = dg - db; w3 = db; }
        else if (dr >= db) { c1 = c000 + sr; c2 = c000 + sr + sb; w0 = 1 - dr; w1 = dr - db; w2 = db - dg; w3 = dg; }
        else { c1 = c000 + sb; c2 = c000 + sr + sb; w0 = 1 - db; w1 = db - dr; w2 = dr - dg; w3 = dg; }
    } else {
        if (db >= dg) { c1 = c000 + sb; c2 = c000 + sg + sb; w0 = 1 - db; w1 = db - dg; w2 = dg - dr; w3 = dr; }
        else if (db >= dr) { c1 = c000 + sg; c2 = c000 + sg + sb; w0 = 1 - dg; w1 = dg - db; w2 = db - dr; w3 = dr; }
        else { c1 = c000 + sg; c2 = c000 + sr + sg; w0 = 1 - dg; w1 = dg - dr; w2 = dr - db; w3 = db; }
    }
    r = w0 * c000[0] + w1 * c1[0] + w2 * c2[0] + w3 * c111[0];
    g = w0 * c000[1] + w1 * c1[1] + w2 * c2[1] + w3 * c111[1];
    b = w0 * c000[2] + w1 * c1[2] + w2 * c2[2] + w3 * c111[2];
}

void ColorLut3D::apply(PixelRow& row) const {
    float* p = row.pixels;
    for (int i = 0; i < row.count; ++i, p += 4) apply(p[0], p[1], p[2]);
}
