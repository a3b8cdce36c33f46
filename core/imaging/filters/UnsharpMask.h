#pragma once

#include "core/imaging/filters/PixelRow.h"

// Unsharp masking: the difference between the luminance and its blur over `radius` pixels is
// the detail at that scale; adding `intensity` times it back raises local contrast (at radius
// 12, the clarity of the picture's mid-sized structures). Working on luminance and adding the
// same amount to each channel sharpens without colour fringes.
struct UnsharpMask {
    double radius = 2.5;    // inputRadius: sigma in pixels of the full-resolution image
    double intensity = 0.5; // inputIntensity

    void apply(PixelRow& row, const float* blurred) const;
    // apply adds exactly lumaGain() × (luma − blurred) to each channel, unclamped.
    float lumaGain() const { return float(intensity); }
};
