#include "core/imaging/filters/ColorLut3D.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <random>

namespace {

// A transform that bends every axis and mixes them, so that a wrong corner, weight or
// tetrahedron shows up as a clear difference.
void curved(float& r, float& g, float& b) {
    const float nr = 0.7f * r * r + 0.2f * g + 0.1f * b * (2.0f - b);
    const float ng = 0.3f * r + 0.5f * g * g + 0.2f * b;
    const float nb = 0.1f * r + 0.1f * g + 0.8f * b * b;
    r = nr;
    g = ng;
    b = nb;
}

struct Rows {
    std::vector<float> r, g, b, a;
    explicit Rows(int n) : r(n), g(n), b(n), a(n, 1.0f) {}
    PixelRow row() { return {r.data(), g.data(), b.data(), a.data(), int(r.size()), 0, 0, int(r.size()), 1}; }
};

// The row kernels (eight-wide, four-wide and the tail) give what the pixel lookup gives, for
// every length around the vector widths, for values on grid points, between them, out of the
// cube and not a number; with the luma of their results when asked for it.
TEST(ColorLut3D, RowKernelsAgreeWithThePixelLookup) {
    const ColorLut3D table(curved);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> any(-0.2f, 1.2f);
    for (int n : {1, 3, 4, 7, 8, 9, 15, 16, 17, 33, 100}) {
        Rows rows(n);
        for (int i = 0; i < n; ++i) {
            rows.r[i] = any(random);
            rows.g[i] = i % 5 == 0 ? float(i % 33) / 32.0f : any(random); // some exactly on the grid
            rows.b[i] = any(random);
        }
        if (n > 9) rows.g[9] = std::numeric_limits<float>::quiet_NaN();
        Rows expected = rows, withLuma = rows;
        PixelRow row = rows.row();
        table.apply(row);
        // The luma handed over with the results is theirs, and asking for it changes nothing else.
        std::vector<float> luma(n, -1.0f);
        PixelRow lumaRow = withLuma.row();
        table.apply(lumaRow, luma.data());
        for (int i = 0; i < n; ++i) {
            table.apply(expected.r[i], expected.g[i], expected.b[i]);
            EXPECT_NEAR(rows.r[i], expected.r[i], 1e-5f) << "n " << n << " pixel " << i;
            EXPECT_NEAR(rows.g[i], expected.g[i], 1e-5f) << "n " << n << " pixel " << i;
            EXPECT_NEAR(rows.b[i], expected.b[i], 1e-5f) << "n " << n << " pixel " << i;
            EXPECT_EQ(withLuma.r[i], rows.r[i]);
            EXPECT_EQ(withLuma.g[i], rows.g[i]);
            EXPECT_EQ(withLuma.b[i], rows.b[i]);
            EXPECT_NEAR(luma[i], lumaOf(rows.r[i], rows.g[i], rows.b[i]), 1e-6f) << "n " << n << " pixel " << i;
        }
    }
}

// Tetrahedral interpolation reproduces any affine map exactly, and the transform itself on
// grid points; a curved map is close between them.
TEST(ColorLut3D, InterpolatesBetweenGridPoints) {
    const ColorLut3D affine([](float& r, float& g, float& b) {
        const float nr = 0.5f * r + 0.25f * g + 0.1f, ng = g, nb = 1.0f - b;
        r = nr;
        g = ng;
        b = nb;
    });
    Rows rows(16);
    for (int i = 0; i < 16; ++i) {
        rows.r[i] = float(i) / 15.0f;
        rows.g[i] = float((i * 7) % 16) / 15.0f;
        rows.b[i] = float((i * 11) % 16) / 15.0f;
    }
    const Rows input = rows;
    PixelRow row = rows.row();
    affine.apply(row);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(rows.r[i], 0.5f * input.r[i] + 0.25f * input.g[i] + 0.1f, 1e-5f);
        EXPECT_NEAR(rows.g[i], input.g[i], 1e-5f);
        EXPECT_NEAR(rows.b[i], 1.0f - input.b[i], 1e-5f);
    }

    const ColorLut3D table(curved);
    for (float v : {0.0f, 0.1f, 0.37f, 0.5f, 0.93f, 1.0f}) {
        float r = v, g = 1.0f - v, b = v * v, er = r, eg = g, eb = b;
        table.apply(r, g, b);
        curved(er, eg, eb);
        EXPECT_NEAR(r, er, 2e-3f);
        EXPECT_NEAR(g, eg, 2e-3f);
        EXPECT_NEAR(b, eb, 2e-3f);
    }
}

} // namespace
