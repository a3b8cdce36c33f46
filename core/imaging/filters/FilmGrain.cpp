#include "core/imaging/filters/FilmGrain.h"

#include "core/imaging/filters/ColorControls.h"
#include "core/imaging/filters/ColorMatrix.h"
#include "core/imaging/filters/OverlayBlend.h"

// One loop with the noise generated in place, so it runs lane-parallel (the hash is integer
// multiplies and shifts, the filters inline arithmetic, the blend a select).
TAVI_PIXEL_KERNEL void FilmGrain::apply(PixelRow& row) const {
    const std::uint32_t key = RandomGenerator{seed}.rowKey(row.y);
    const ColorControls grey{0, 1.4, 0};
    ColorMatrix alpha;
    alpha.aVector = {0, 0, 0, float(0.14 * amount)};
    float* const channels[3] = {row.r, row.g, row.b};
    for (int i = 0; i < row.count; ++i) {
        float noise[4];
        RandomGenerator::sample(key, row.x + i, noise);
        grey.apply(noise[0], noise[1], noise[2]);
        alpha.apply(noise);
        for (int c = 0; c < 3; ++c) channels[c][i] = overlayBlend::over(channels[c][i], noise[c], noise[3]);
    }
}
