#include "core/imaging/filters/SharpenLuminance.h"

#include <algorithm>

TAVI_PIXEL_KERNEL void SharpenLuminance::apply(PixelRow& row, const float* blurred) const {
    const float k = 1.5f * float(sharpness);
    float* __restrict r = row.r;
    float* __restrict g = row.g;
    float* __restrict b = row.b;
    for (int i = 0; i < row.count; ++i) {
        const float detail = std::min(std::max(k * (lumaOf(r[i], g[i], b[i]) - blurred[i]), -0.25f), 0.25f);
        r[i] += detail;
        g[i] += detail;
        b[i] += detail;
    }
}
