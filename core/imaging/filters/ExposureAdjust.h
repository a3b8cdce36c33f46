#pragma once

// Exposure in stops. A camera's exposure scales the light that reaches the sensor, so the
// step decodes to linear light, multiplies by 2^ev and encodes again: +1 really is twice the
// light, and the look of the tones (not just their code values) moves as a camera would.
struct ExposureAdjust {
    double ev = 0; // inputEV

    // `n` pixels of component arrays (the gain worked out once).
    void apply(float* r, float* g, float* b, int n) const;
};
