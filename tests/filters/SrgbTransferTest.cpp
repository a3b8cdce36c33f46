#include "core/imaging/filters/SrgbTransfer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

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

// The array forms give what the per-value forms give: across the table's edge, for negative
// values, beyond the table, for infinities and for values that are not numbers, in the wide
// body and the tail alike.
TEST(SrgbTransfer, ArrayFormsMatchTheValueForms) {
    std::vector<float> values;
    for (float x = -5.0f; x <= 5.0f; x += 0.0173f)
        values.push_back(x);
    for (float x : {0.0f, -0.0f, 4.0f, -4.0f, 4.0001f, 1e-8f, std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity(), std::nanf(""), 0.5f, 1.0f})
        values.push_back(x);
    for (int count : {int(values.size()), 7, 9}) {
        std::vector<float> linear(values.begin(), values.begin() + count), encoded = linear;
        srgb::toLinear(linear.data(), count);
        srgb::toEncoded(encoded.data(), count);
        for (int i = 0; i < count; ++i) {
            const float x = values[i];
            if (std::isnan(x)) {
                EXPECT_TRUE(std::isnan(linear[i]));
                EXPECT_TRUE(std::isnan(encoded[i]));
                continue;
            }
            if (std::isinf(x)) {
                EXPECT_EQ(linear[i], x);
                EXPECT_EQ(encoded[i], x);
                continue;
            }
            EXPECT_NEAR(linear[i], srgb::toLinear(x), 1e-6f * std::max(1.0f, std::abs(linear[i]))) << x;
            EXPECT_NEAR(encoded[i], srgb::toEncoded(x), 1e-6f * std::max(1.0f, std::abs(encoded[i]))) << x;
        }
    }
}

} // namespace
