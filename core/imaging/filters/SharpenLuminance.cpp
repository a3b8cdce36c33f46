#include "core/imaging/filters/SharpenLuminance.h"

#include <algorithm>

TAVI_PIXEL_KERNEL void SharpenLuminance::apply(PixelRow& row, const float* blurred) const {
    const float k = 1.5f * float(sharpness);
    float* p = row.pixels;
    for (int i = 0; i < row.count; ++i, p += 4) {
        const float detail = std::min(std::max(k * (lumaOf(p[0], p[1], p[2]) - blurred[i]), -0.25f), 0.25f);
        p[0] += detail;
        p[1] += detail;
        p[2] += detail;
    }
}
