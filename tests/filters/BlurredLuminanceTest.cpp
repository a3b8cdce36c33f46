#include "core/imaging/filters/BlurredLuminance.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

BlurredLuminance filled(int width, int height, double sigma, bool compact = true) {
    BlurredLuminance plane(width, height, sigma, false, compact);
    std::vector<float> row(width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            row[x] = float(((x * 7 + y * 13) % 17) / 16.0);
        plane.addRow(y, row.data());
    }
    plane.finish();
    return plane;
}

// Reading a stored row in place gives what sampling it gives, and is offered only where the
// plane holds its values as they are.
TEST(BlurredLuminance, StoredRowsReadWhatSamplingReads) {
    const BlurredLuminance plane = filled(53, 31, 3.0);
    std::vector<float> sampled(53);
    for (int y : {0, 7, 30})
        for (auto [x, count] : {std::pair{0, 53}, std::pair{5, 20}, std::pair{52, 1}}) {
            const float* stored = plane.storedRow(y, x, count);
            ASSERT_NE(stored, nullptr);
            plane.sampleRow(y, x, count, sampled.data());
            for (int i = 0; i < count; ++i)
                EXPECT_EQ(stored[i], sampled[i]) << y << " " << x + i;
        }
    EXPECT_EQ(plane.storedRow(-1, 0, 10), nullptr);
    EXPECT_EQ(plane.storedRow(31, 0, 10), nullptr);
    EXPECT_EQ(plane.storedRow(0, 50, 4), nullptr);
    EXPECT_EQ(plane.storedRow(0, -1, 4), nullptr);
    EXPECT_EQ(filled(53, 31, 9.0).storedRow(0, 0, 10), nullptr); // kept reduced
    EXPECT_EQ(filled(53, 31, 1.0).storedRow(0, 0, 10), nullptr); // blurred while read
}

// Full-resolution planes start from uninitialised memory for speed: a row that was never added
// must still read as black, never as leftovers.
TEST(BlurredLuminance, RowsNeverAddedReadBlack) {
    for (double sigma : {1.0, 3.0}) {
        // Dirty the heap first, so that leftovers would show.
        { std::vector<float> dirt(53 * 31 * 4, 0.75f); }
        BlurredLuminance plane(53, 31, sigma, false);
        plane.finish();
        std::vector<float> row(53);
        for (int y : {0, 15, 30}) {
            plane.sampleRow(y, 0, 53, row.data());
            for (float v : row)
                EXPECT_NEAR(v, 0.0f, 1e-4f) << sigma;
        }
    }
}

// A reduced plane read a row at a time (the vector path) gives what it gives read one pixel at
// a time (the scalar path), across the row, from any start, at several reductions.
TEST(BlurredLuminance, ReducedRowsReadAlikeWholeOrPixelByPixel) {
    for (double sigma : {9.0, 12.5, 30.0}) {
        const BlurredLuminance plane = filled(211, 40, sigma);
        ASSERT_GT(plane.factor(), 1) << sigma;
        std::vector<float> whole(211);
        for (int y : {0, 17, 39})
            for (int x : {0, 5, 37}) {
                const int count = 211 - x;
                plane.sampleRow(y, x, count, whole.data());
                for (int i = 0; i < count; ++i) {
                    float one = 0;
                    plane.sampleRow(y, x + i, 1, &one);
                    ASSERT_NEAR(whole[i], one, 1e-6f) << sigma << " " << x + i << "," << y;
                }
            }
    }
}

// A reduced plane of a ramp reads back the ramp away from the edges: block means, blur and
// interpolation all keep a linear function, so a block averaged over the wrong pixels or with the
// wrong count shows. Every common reduction, and rows whose last block is partial.
TEST(BlurredLuminance, ReducedPlanesOfARampReadTheRamp) {
    for (double sigma : {6.0, 9.0, 12.0, 15.0, 21.0}) {
        const int width = 601, height = 12;
        BlurredLuminance plane(width, height, sigma, false);
        ASSERT_EQ(plane.factor(), int(sigma / 3)) << sigma;
        std::vector<float> row(width);
        for (int x = 0; x < width; ++x)
            row[x] = 0.1f + 0.001f * float(x);
        for (int y = 0; y < height; ++y)
            plane.addRow(y, row.data());
        plane.finish();
        std::vector<float> read(width);
        plane.sampleRow(6, 0, width, read.data());
        const int margin = int(5 * sigma);
        for (int x = margin; x < width - margin; ++x)
            ASSERT_NEAR(read[x], row[x], 1e-4f) << "sigma " << sigma << " x " << x;
    }
}

// A narrow plane kept in 16 bits and one kept in floats read the same, to the 16-bit step, at
// every column including the clamped edges.
TEST(BlurredLuminance, NarrowPlanesReadAlikeInSixteenBitsOrFloats) {
    for (double sigma : {0.5, 1.0, 1.9}) {
        const BlurredLuminance compact = filled(53, 31, sigma, true), floats = filled(53, 31, sigma, false);
        std::vector<float> a(53), b(53);
        for (int y : {0, 1, 15, 30}) {
            compact.sampleRow(y, 0, 53, a.data());
            floats.sampleRow(y, 0, 53, b.data());
            for (int x = 0; x < 53; ++x)
                EXPECT_NEAR(a[x], b[x], 1e-4f) << sigma << " " << x << "," << y;
        }
    }
}

} // namespace
