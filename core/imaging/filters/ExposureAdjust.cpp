#include "core/imaging/filters/ExposureAdjust.h"

#include "core/imaging/filters/SrgbTransfer.h"

#include <cmath>

void ExposureAdjust::apply(float& r, float& g, float& b) const {
    const float gain = float(std::exp2(ev));
    r = srgb::toEncoded(srgb::toLinear(r) * gain);
    g = srgb::toEncoded(srgb::toLinear(g) * gain);
    b = srgb::toEncoded(srgb::toLinear(b) * gain);
}
