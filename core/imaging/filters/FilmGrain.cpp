#include "core/imaging/filters/FilmGrain.h"

#include "core/imaging/filters/OverlayBlend.h"

// One loop with the noise generated in place, so it runs lane-parallel (the hash is integer
// multiplies and shifts, the blend a select).
TAVI_PIXEL_KERNEL void FilmGrain::apply(PixelRow& row) const {
    const std::uint32_t key = RandomGenerator{seed}.rowKey(row.y);
    const float strength = float(0.14 * amount);
    float* const channels[3] = {row.r, row.g, row.b};
    for (int i = 0; i < row.count; ++i) {
        float noise[4];
        RandomGenerator::sample(key, row.x + i, noise);
        const float grey = (lumaOf(noise[0], noise[1], noise[2]) - 0.5f) * 1.4f + 0.5f;
        const float alpha = strength * noise[3];
        for (float* channel : channels) channel[i] += alpha * (overlayBlend::blend(channel[i], grey) - channel[i]);
    }
}
