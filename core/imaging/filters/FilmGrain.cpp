#include "core/imaging/filters/FilmGrain.h"

#include "core/imaging/filters/OverlayBlend.h"

// One loop with the noise generated in place, so it runs lane-parallel (the hash is integer
// multiplies and shifts, the filters inline arithmetic, the blend a select). The colour
// controls and the colour matrix are written out for this use: saturation 0 makes all three
// components the noise's luma, so one grey serves them, and the matrix's only non-identity
// vector scales alpha. Spelled generically, their zero terms would still be multiplied out:
// floating point can't drop 0 × x on its own.
TAVI_PIXEL_KERNEL void FilmGrain::apply(PixelRow& row) const {
    const std::uint32_t key = RandomGenerator{seed}.rowKey(row.y);
    const float contrast = 1.4f, alphaScale = float(0.14 * amount);
    float* __restrict r = row.r;
    float* __restrict g = row.g;
    float* __restrict b = row.b;
    for (int i = 0; i < row.count; ++i) {
        float noise[4];
        RandomGenerator::sample(key, row.x + i, noise);
        // CIColorControls, saturation 0 and contrast 1.4 about mid-grey (brightness 0).
        const float grey = (lumaOf(noise[0], noise[1], noise[2]) - 0.5f) * contrast + 0.5f;
        // CIColorMatrix with inputAVector (0, 0, 0, 0.14 × amount).
        const float alpha = noise[3] * alphaScale;
        r[i] = overlayBlend::over(r[i], grey, alpha);
        g[i] = overlayBlend::over(g[i], grey, alpha);
        b[i] = overlayBlend::over(b[i], grey, alpha);
    }
}
