#pragma once

// Catmull-Rom weights for a fractional offset t in 0...1, taps at −1, 0, 1 and 2: the cubic
// that passes through the samples, reproduces straight ramps exactly and overshoots a little
// at edges (a crisp result, unlike the softer B-spline).
inline void catmullRomWeights(float t, float* w) {
    const float t2 = t * t, t3 = t2 * t;
    w[0] = -0.5f * t3 + t2 - 0.5f * t;
    w[1] = 1.5f * t3 - 2.5f * t2 + 1.0f;
    w[2] = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
    w[3] = 0.5f * t3 - 0.5f * t2;
}
