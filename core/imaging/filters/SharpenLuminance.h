#pragma once

#include "core/imaging/filters/PixelRow.h"

// Sharpening of the finest detail: luminance minus its blur over `radius` (about 1.7 pixels),
// scaled by `sharpness` and added to every channel. The detail is clamped to ±0.25 so that
// strong edges get crisp without white or black rims.
struct SharpenLuminance {
    double sharpness = 0.4; // inputSharpness
    double radius = 1.69;   // inputRadius: sigma in pixels of the full-resolution image

    void apply(PixelRow& row, const float* blurred) const;
};
