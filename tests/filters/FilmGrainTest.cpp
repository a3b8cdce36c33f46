#include "core/imaging/filters/FilmGrain.h"
#include "core/imaging/filters/OverlayBlend.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Grain written out per pixel from the generator and the blend: the fused kernel must compute
// the same, wherever the row starts and whatever its length, on dark and light backgrounds.
TEST(FilmGrain, FusedKernelMatchesTheNoiseOverlaidPixelByPixel) {
    const FilmGrain grain{0.8};
    for (int start : {0, 5, 1021})
        for (int count : {1, 8, 29, 300}) {
            std::vector<float> r(count), g(count), b(count), a(count, 1.0f);
            for (int i = 0; i < count; ++i) {
                r[i] = float(i % 11) / 10.0f;
                g[i] = 1.0f - r[i];
                b[i] = float((i * 7) % 13) / 12.0f;
            }
            const std::vector<float> r0 = r, g0 = g, b0 = b;
            PixelRow row{r.data(), g.data(), b.data(), a.data(), count, start, 17, 4000, 3000};
            grain.apply(row);
            const std::uint32_t key = RandomGenerator{grain.seed}.rowKey(17);
            for (int i = 0; i < count; ++i) {
                float noise[4];
                RandomGenerator::sample(key, start + i, noise);
                const float grey = (lumaOf(noise[0], noise[1], noise[2]) - 0.5f) * 1.4f + 0.5f;
                const float alpha = noise[3] * float(0.14 * 0.8);
                EXPECT_NEAR(r[i], overlayBlend::over(r0[i], grey, alpha), 1e-6f) << start << " " << i;
                EXPECT_NEAR(g[i], overlayBlend::over(g0[i], grey, alpha), 1e-6f) << start << " " << i;
                EXPECT_NEAR(b[i], overlayBlend::over(b0[i], grey, alpha), 1e-6f) << start << " " << i;
            }
        }
}

} // namespace
