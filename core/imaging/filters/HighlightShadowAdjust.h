#pragma once

#include "core/imaging/filters/PixelRow.h"

// Local tone mapping of highlights and shadows. Whether a pixel counts as highlight or shadow
// is read from a mask, the luminance blurred over `radius` pixels, so a region is lifted or held
// back as a whole and its texture survives instead of flattening under a global curve. Where a
// pixel differs sharply from its surroundings (an edge, where the blur would reach across) the
// mask leans back towards the pixel's own luminance, which keeps halos out of sight.
//
// Shadows: weight 1 − smoothstep(0, 0.6, mask); a positive amount lifts by the curve
// y(1 + k) / (1 + k y), k = 3 × amount × weight (black stays black, the darkest tones gain most);
// a negative amount deepens by the inverse. Highlights: weight smoothstep(0.4, 1, mask); an amount
// below 1 compresses with the mirrored curve (white stays white), above 1 expands. Areas
// outside a weight's support are left exactly as they were. Lifts add the luminance change to
// all three channels (dark colours don't balloon in saturation); compression scales them (no
// channel goes negative).
struct HighlightShadowAdjust {
    double highlightAmount = 1; // inputHighlightAmount
    double shadowAmount = 0;    // inputShadowAmount
    double radius = 30;         // sigma of the mask blur, in pixels of the full-resolution image

    // `blurred`: the mask plane's values for this row.
    void apply(PixelRow& row, const float* blurred) const;
};
