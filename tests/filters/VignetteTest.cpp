#include "core/imaging/filters/Vignette.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The gain the vignette's definition gives a pixel, computed directly from its distance.
double exactGain(const Vignette& v, double x, double y, double width, double height) {
    const double cx = width / 2, cy = height / 2;
    const double d = std::sqrt(((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (cx * cx + cy * cy));
    const double t = std::clamp((2 * d / v.radius - 0.25) / (1.1 - 0.25), 0.0, 1.0);
    const double fall = t * t * (3 - 2 * t);
    return std::pow(std::pow(1 - 0.75 * fall, v.intensity), 1 / 2.2);
}

// Every pixel of rows of every length around the span and vector widths, each a window cut from
// a frame at its edge or inside, is scaled by its own gain to within an 8-bit level (the gain is
// interpolated between exact values 16 pixels apart).
TEST(Vignette, EveryPixelGetsTheGainOfItsDistance) {
    const Vignette vignette{0.8, 1.2};
    const Vignette::Table table = vignette.table();
    for (int count : {1, 2, 7, 15, 16, 17, 31, 33, 100, 257}) {
        for (int x0 : {0, 5, 300}) {
            const int frameWidth = 600, frameHeight = 400;
            for (int y : {0, 130, 399}) {
                std::vector<float> r(count, 1.0f), g(count, 0.5f), b(count, 0.25f);
                PixelRow row{r.data(), g.data(), b.data(), nullptr, count, x0, y, frameWidth, frameHeight};
                Vignette::apply(table, row);
                for (int i = 0; i < count; ++i) {
                    const double expected =
                        exactGain(vignette, x0 + i + 0.5, y + 0.5, frameWidth, frameHeight);
                    ASSERT_NEAR(r[i], expected, 1.0 / 255)
                        << "count " << count << " x0 " << x0 << " pixel " << i;
                    ASSERT_NEAR(g[i], 0.5 * expected, 0.5 / 255) << "count " << count << " pixel " << i;
                    ASSERT_NEAR(b[i], 0.25 * expected, 0.25 / 255) << "count " << count << " pixel " << i;
                }
            }
        }
    }
}

} // namespace
