#pragma once

#include <cstdint>

// An unbounded image of noise: four independent uniform numbers in 0...1 per pixel (red,
// green, blue, alpha). Each value is a hash of the pixel's position and the seed, so the
// pattern is the same at every render and whichever thread computes a band, and costs no
// stored state.
struct RandomGenerator {
    std::uint32_t seed = 0;

    // Fills count pixels of row y starting at column x: four floats each.
    void fill(int x, int y, int count, float* out) const;
};
