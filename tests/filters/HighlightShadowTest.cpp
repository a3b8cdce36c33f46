#include "core/imaging/filters/HighlightShadowAdjust.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The tone curve of the filter written step by step, each lift its own fraction: the kernel
// folds them into one division, which must not change what it computes.
float lift(float y, float k) {
    const float m = std::abs(k);
    return k >= 0 ? y * (1 + m) / (1 + m * y) : y / (1 + m * (1 - y));
}
float smooth(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}
float expectedTarget(float y, float local, double highlights, double shadows) {
    const float trust = std::clamp((std::abs(y - local) - 0.08f) / 0.25f, 0.0f, 1.0f);
    const float mask = local + (y - local) * trust;
    const float lifted = lift(y, float(3 * shadows) * (1 - smooth(0, 0.6f, mask)));
    return 1 - lift(1 - lifted, float(1.5 * (1 - highlights)) * smooth(0.4f, 1, mask));
}

TEST(HighlightShadowAdjust, OneDivisionGivesTheSteppedCurve) {
    std::vector<float> r, g, b, a, local;
    for (int i = 0; i <= 40; ++i)
        for (int j = 0; j <= 20; ++j) {
            const float y = float(i) / 40;
            r.push_back(y), g.push_back(y), b.push_back(y), a.push_back(1);
            local.push_back(float(j) / 20);
        }
    for (double highlights : {0.0, 0.3, 1.0, 1.6})
        for (double shadows : {-0.8, 0.0, 0.5, 1.0}) {
            std::vector<float> rr = r, gg = g, bb = b;
            PixelRow row{rr.data(), gg.data(), bb.data(), a.data(), int(r.size()), 0, 0, int(r.size()), 1};
            HighlightShadowAdjust f;
            f.highlightAmount = highlights;
            f.shadowAmount = shadows;
            f.apply(row, local.data());
            for (size_t i = 0; i < r.size(); ++i) {
                // A grey stays grey: raised by adding, lowered by scaling, it lands on the target.
                EXPECT_NEAR(rr[i], expectedTarget(r[i], local[i], highlights, shadows), 2e-5f)
                    << "y " << r[i] << " local " << local[i] << " highlights " << highlights << " shadows " << shadows;
                EXPECT_EQ(rr[i], gg[i]);
                EXPECT_EQ(rr[i], bb[i]);
            }
        }
}

// A colour lowered in luma keeps its hue and saturation ratio (all components scale alike).
TEST(HighlightShadowAdjust, DarkenedColoursScaleEveryComponentAlike) {
    float r = 0.9f, g = 0.8f, b = 0.6f, a = 1.0f, local = 0.85f;
    PixelRow row{&r, &g, &b, &a, 1, 0, 0, 1, 1};
    HighlightShadowAdjust f;
    f.highlightAmount = 0.2;
    f.apply(row, &local);
    EXPECT_LT(r, 0.9f);
    EXPECT_NEAR(r / b, 0.9f / 0.6f, 1e-4f);
    EXPECT_NEAR(g / b, 0.8f / 0.6f, 1e-4f);
}

} // namespace
