#include "core/imaging/filters/GaussianBlur.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<float> transposed(const std::vector<float>& plane, int width, int height) {
    std::vector<float> out(plane.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[size_t(x) * height + y] = plane[size_t(y) * width + x];
    return out;
}

// The recursive blur runs along rows (several rows at once, with their tails one at a time) and
// down columns (strips of them) by different code; blurring the transposed plane swaps the two.
// Both orders give the same plane, for heights that leave every kind of row group and tail.
TEST(GaussianBlurPlane, RowsAndColumnsBlurAlike) {
    for (int height : {3, 8, 16, 29, 37, 64}) {
        const int width = 45;
        std::vector<float> plane(size_t(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                plane[size_t(y) * width + x] = float(((x * 7 + y * 13) % 17) / 16.0 + 0.01 * y);
        std::vector<float> swapped = transposed(plane, width, height);
        gaussianBlurPlane(plane.data(), width, height, 3.5);
        gaussianBlurPlane(swapped.data(), height, width, 3.5);
        const std::vector<float> back = transposed(swapped, height, width);
        for (size_t i = 0; i < plane.size(); ++i)
            ASSERT_NEAR(plane[i], back[i], 1e-5f) << "height " << height << " pixel " << i;
    }
}

} // namespace
