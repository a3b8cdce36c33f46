#pragma once

#include "core/imaging/filters/PixelRow.h"

// Saturation, brightness and contrast on sRGB-encoded values, in that order. Saturation blends
// between the pixel's Rec. 709 luma grey (0) and the colour (1), extrapolating above 1, so
// greys stay put; brightness adds a constant; contrast scales the distance from mid-grey 0.5,
// which therefore never moves.
struct ColorControls {
    double brightness = 0; // inputBrightness
    double contrast = 1;   // inputContrast
    double saturation = 1; // inputSaturation

    void apply(float& r, float& g, float& b) const {
        const float s = float(saturation), k = float(contrast), add = float(brightness);
        const float l = lumaOf(r, g, b);
        r = ((l + (r - l) * s + add) - 0.5f) * k + 0.5f;
        g = ((l + (g - l) * s + add) - 0.5f) * k + 0.5f;
        b = ((l + (b - l) * s + add) - 0.5f) * k + 0.5f;
    }
    // `n` pixels of component arrays.
    void apply(float* r, float* g, float* b, int n) const {
        for (int i = 0; i < n; ++i) apply(r[i], g[i], b[i]);
    }
};
