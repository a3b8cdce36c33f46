#include "core/imaging/filters/ExposureAdjust.h"

#include "core/imaging/filters/SrgbTransfer.h"

#include <cmath>
#include <initializer_list>

void ExposureAdjust::apply(float* r, float* g, float* b, int n) const {
    const float gain = float(std::exp2(ev));
    for (float* c : {r, g, b}) {
        srgb::toLinear(c, n);
        for (int i = 0; i < n; ++i)
            c[i] *= gain;
        srgb::toEncoded(c, n);
    }
}
