#include "core/imaging/filters/ExposureAdjust.h"

#include "core/imaging/filters/SrgbTransfer.h"

#include <cmath>

void ExposureAdjust::apply(float& r, float& g, float& b) const {
    const float gain = float(std::exp2(ev));
    r = srgb::toEncoded(srgb::toLinear(r) * gain);
    g = srgb::toEncoded(srgb::toLinear(g) * gain);
    b = srgb::toEncoded(srgb::toLinear(b) * gain);
}

void ExposureAdjust::apply(float* r, float* g, float* b, int n) const {
    const float gain = float(std::exp2(ev));
    for (int i = 0; i < n; ++i) {
        r[i] = srgb::toEncoded(srgb::toLinear(r[i]) * gain);
        g[i] = srgb::toEncoded(srgb::toLinear(g[i]) * gain);
        b[i] = srgb::toEncoded(srgb::toLinear(b[i]) * gain);
    }
}
