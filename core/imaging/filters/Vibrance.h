#pragma once

// A saturation change weighted towards the colours that have little of it. Each pixel's
// chroma (max − min of its components) sets a weight (1 − chroma)², so a dull colour moves far
// and a vivid one hardly at all, and nothing clips into flat colour. Skin hues (red above green
// above blue, hue between about 10° and 45°, moderate chroma) get a third of the weight: faces
// stay natural while the sky and foliage gain. Negative amounts mute the same way.
struct Vibrance {
    double amount = 0; // inputAmount

    void apply(float& r, float& g, float& b) const;
    // `n` pixels of component arrays.
    void apply(float* r, float* g, float* b, int n) const;
};
