#include "core/imaging/filters/SrgbTransfer.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

// The tabulated curves follow the exact ones inside the table, across its edges, beyond it and
// for negative values (odd), and each undoes the other.
TEST(SrgbTransfer, TabulatedCurvesFollowTheExactOnes) {
    for (float x = -6.0f; x <= 6.0f; x += 0.00731f) {
        const float tolerance = 2e-5f * std::max(1.0f, std::abs(x));
        EXPECT_NEAR(srgb::toLinear(x), srgb::toLinearExact(x), tolerance) << x;
        EXPECT_NEAR(srgb::toEncoded(x), srgb::toEncodedExact(x), tolerance) << x;
        EXPECT_NEAR(srgb::toEncoded(srgb::toLinear(x)), x, 1e-4f * std::max(1.0f, std::abs(x))) << x;
    }
    for (float x : {0.0f, 1.0f, 4.0f, -4.0f}) {
        EXPECT_NEAR(srgb::toLinear(x), srgb::toLinearExact(x), 1e-6f * std::max(1.0f, std::abs(x)));
        EXPECT_NEAR(srgb::toEncoded(x), srgb::toEncodedExact(x), 1e-6f * std::max(1.0f, std::abs(x)));
    }
    EXPECT_NEAR(srgb::toLinear(0.5f), 0.214041f, 1e-5f);
    EXPECT_TRUE(std::isnan(srgb::toLinear(std::nanf(""))));
}

} // namespace
