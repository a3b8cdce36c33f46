#include "core/imaging/filters/UnsharpMask.h"

TAVI_PIXEL_KERNEL void UnsharpMask::apply(PixelRow& row, const float* blurred) const {
    const float k = float(intensity);
    float* p = row.pixels;
    for (int i = 0; i < row.count; ++i, p += 4) {
        const float detail = k * (lumaOf(p[0], p[1], p[2]) - blurred[i]);
        p[0] += detail;
        p[1] += detail;
        p[2] += detail;
    }
}
