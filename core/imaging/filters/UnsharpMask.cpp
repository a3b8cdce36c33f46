#include "core/imaging/filters/UnsharpMask.h"

TAVI_PIXEL_KERNEL void UnsharpMask::apply(PixelRow& row, const float* blurred) const {
    const float k = lumaGain();
    float* __restrict r = row.r;
    float* __restrict g = row.g;
    float* __restrict b = row.b;
    for (int i = 0; i < row.count; ++i) {
        const float detail = k * (lumaOf(r[i], g[i], b[i]) - blurred[i]);
        r[i] += detail;
        g[i] += detail;
        b[i] += detail;
    }
}
