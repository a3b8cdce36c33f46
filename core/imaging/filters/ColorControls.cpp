#include "core/imaging/filters/ColorControls.h"

#include "core/imaging/filters/PixelRow.h"

void ColorControls::apply(float& r, float& g, float& b) const {
    const float s = float(saturation), k = float(contrast), add = float(brightness);
    const float l = lumaOf(r, g, b);
    r = ((l + (r - l) * s + add) - 0.5f) * k + 0.5f;
    g = ((l + (g - l) * s + add) - 0.5f) * k + 0.5f;
    b = ((l + (b - l) * s + add) - 0.5f) * k + 0.5f;
}
