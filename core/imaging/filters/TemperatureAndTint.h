#pragma once

#include <array>

// White balance as a chromatic adaptation. `neutral` names the light the picture was taken
// under (colour temperature in kelvin, tint along the normal of the Planckian locus, positive
// towards magenta), `targetNeutral` the light it should look taken under. Each light becomes a
// white point: kelvin to CIE xy on the Planckian locus (the Kim et al. cubic, 1667...25000 K),
// the tint a step of tint / 3000 along the locus normal in CIE 1960 uv. A Bradford adaptation
// maps the first white onto the second; in linear sRGB that is one 3 x 3 matrix, applied between
// decoding and encoding. So a neutral lit by a bluer light (neutral above target) comes out
// warmer, one lit by a more magenta light (positive tint) comes out greener — the direction
// in which the cinematic look's (6100, 8) turns teal and the portra look's (7100, −6) warm and
// rosy — and equal lights change nothing.
struct TemperatureAndTint {
    std::array<double, 2> neutral{6500, 0};       // inputNeutral
    std::array<double, 2> targetNeutral{6500, 0}; // inputTargetNeutral

    // The linear-sRGB matrix, row-major.
    std::array<float, 9> matrix() const;
    // Applies a matrix from matrix() to `n` pixels of component arrays; kept separate so callers
    // compute it once per render.
    static void apply(const std::array<float, 9>& m, float* r, float* g, float* b, int n);

    // The recipe's white balance sliders (−1 ... 1 each) as lights: warmth ±1 takes the picture
    // as lit at 6500 ± 2400 K, tint ±1 at ±80 off the locus, both mapped to daylight (6500, 0).
    static TemperatureAndTint fromWarmthAndTint(double warmth, double tint) {
        return {{6500 + 2400 * warmth, 80 * tint}, {6500, 0}};
    }

    // CIE xy of a light given as (kelvin, tint).
    static std::array<double, 2> chromaticity(double kelvin, double tint);
};
