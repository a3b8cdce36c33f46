#include "core/imaging/filters/RandomGenerator.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

// Noise for grain must look like noise: uniform in each channel, independent between channels
// and between neighbours along both axes (a weak hash shows as stripes or a lattice), and the
// same at every call.
TEST(RandomGenerator, UniformIndependentAndRepeatable) {
    const int w = 256, h = 256;
    const RandomGenerator generator{0x7a1b2c3dU};
    std::vector<float> v(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t key = generator.rowKey(y);
        for (int x = 0; x < w; ++x) RandomGenerator::sample(key, x, &v[(size_t(y) * w + x) * 4]);
    }
    auto at = [&](int x, int y, int c) { return double(v[(size_t(y) * w + x) * 4 + c]) - 0.5; };
    const double n = double(w) * h;
    for (int c = 0; c < 4; ++c) {
        double mean = 0, variance = 0, right = 0, down = 0, other = 0;
        int histogram[8] = {};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double s = at(x, y, c);
                mean += s;
                variance += s * s;
                if (x + 1 < w) right += s * at(x + 1, y, c);
                if (y + 1 < h) down += s * at(x, y + 1, c);
                other += s * at(x, y, (c + 1) % 4);
                ++histogram[std::min(7, int((s + 0.5) * 8))];
            }
        variance /= n;
        EXPECT_NEAR(mean / n, 0.0, 0.005) << c;
        EXPECT_NEAR(variance, 1.0 / 12, 0.002) << c;
        // Correlations of independent samples are about 1/sqrt(n) = 0.004.
        EXPECT_LT(std::abs(right / n / variance), 0.02) << c;
        EXPECT_LT(std::abs(down / n / variance), 0.02) << c;
        EXPECT_LT(std::abs(other / n / variance), 0.02) << c;
        for (int bin : histogram) EXPECT_NEAR(bin / n, 1.0 / 8, 0.01) << c;
    }
    float again[4];
    RandomGenerator::sample(generator.rowKey(17), 33, again);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(again[c], v[(size_t(17) * w + 33) * 4 + c]);
}

} // namespace
