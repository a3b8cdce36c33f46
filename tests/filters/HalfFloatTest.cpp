// Half floats: the portable conversions must give the processor's bits, or a render would
// depend on the machine it ran on.
#include "core/imaging/filters/HalfFloat.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

// Every half comes back from a float unchanged, and a float exactly between two halves goes to
// the one with an even last bit, at every magnitude from subnormal to the largest.
TEST(HalfFloat, RoundTripsEveryHalfAndRoundsTiesToEven) {
    for (std::uint32_t h = 0; h < 0x10000; ++h) {
        const auto half = std::uint16_t(h);
        const float value = halfFloat::toFloat(half);
        if (std::isnan(value)) {
            EXPECT_EQ(halfFloat::fromFloat(value), half | 0x0200) << h; // made quiet
            continue;
        }
        ASSERT_EQ(halfFloat::fromFloat(value), half) << h;
        if ((h & 0x7fff) >= 0x7bff) continue; // the largest finite and infinity have no next
        const float next = halfFloat::toFloat(std::uint16_t(h + 1));
        const float tie = value + (next - value) / 2; // exact: two halves' midpoint fits a float
        const std::uint16_t even = (h & 1) ? std::uint16_t(h + 1) : half;
        ASSERT_EQ(halfFloat::fromFloat(tie), even) << h;
        ASSERT_EQ(halfFloat::fromFloat(std::nextafter(tie, value)), half) << h;
        ASSERT_EQ(halfFloat::fromFloat(std::nextafter(tie, next)), std::uint16_t(h + 1)) << h;
    }
    EXPECT_EQ(halfFloat::fromFloat(1e6f), 0x7c00);
    EXPECT_EQ(halfFloat::fromFloat(-1e-9f), 0x8000);
}

// The row conversions agree with the single ones bit for bit over a spread of float patterns
// (every magnitude, both signs, NaNs) and every tie between two halves with its neighbours, at
// whatever SIMD level runs.
TEST(HalfFloat, RowsAgreeWithSingleValues) {
    std::vector<float> floats;
    for (std::uint64_t bits = 0; bits < (1ull << 32); bits += 65521)
        floats.push_back(std::bit_cast<float>(std::uint32_t(bits)));
    for (std::uint32_t h = 0; h < 0x10000; ++h) {
        if ((h & 0x7fff) >= 0x7bff) continue;
        const float value = halfFloat::toFloat(std::uint16_t(h)), next = halfFloat::toFloat(std::uint16_t(h + 1));
        const float tie = value + (next - value) / 2;
        floats.insert(floats.end(), {tie, std::nextafter(tie, value), std::nextafter(tie, next)});
    }
    std::vector<std::uint16_t> halves(floats.size());
    halfFloat::fromFloats(floats.data(), int(floats.size()), halves.data());
    for (size_t i = 0; i < floats.size(); ++i)
        ASSERT_EQ(halves[i], halfFloat::fromFloat(floats[i])) << std::bit_cast<std::uint32_t>(floats[i]);

    std::vector<std::uint16_t> all(0x10000);
    for (std::uint32_t h = 0; h < 0x10000; ++h)
        all[h] = std::uint16_t(h);
    std::vector<float> back(all.size());
    halfFloat::toFloats(all.data(), int(all.size()), back.data());
    for (std::uint32_t h = 0; h < 0x10000; ++h)
        ASSERT_EQ(std::bit_cast<std::uint32_t>(back[h]), std::bit_cast<std::uint32_t>(halfFloat::toFloat(all[h])))
            << h;
}
