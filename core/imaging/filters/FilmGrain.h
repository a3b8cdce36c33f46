#pragma once

#include "core/imaging/filters/PixelRow.h"
#include "core/imaging/filters/RandomGenerator.h"

// Film grain: grey noise laid over the picture with the overlay blend. The noise is the random
// generator's red, green and blue made grey (saturation 0) and harder (contrast 1.4 about
// mid-grey), its own random alpha scaled by 0.14 × amount, so the grain's strength varies from
// grain to grain as on film. Overlay is linear in the source and a source of 0.5 leaves the
// background alone, so noise centred on 0.5 keeps the picture's mean. The pattern hangs on the
// pixel's place in the frame: every render and every band draws the same grain.
struct FilmGrain {
    double amount = 0;
    std::uint32_t seed = 0x7a1b2c3dU;

    void apply(PixelRow& row) const;
};
