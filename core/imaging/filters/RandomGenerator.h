#pragma once

#include <cstdint>

// An unbounded image of noise: four independent uniform numbers in 0...1 per pixel (red,
// green, blue, alpha). Each value is a hash of the pixel's position and the seed, so the
// pattern is the same at every render and whichever thread computes a band, and costs no
// stored state.
struct RandomGenerator {
    std::uint32_t seed = 0;

    // The four numbers of pixel (x, y), for kernels that fuse the noise with its use:
    // rowKey(y) once per row, then sample(rowKey, x, out).
    std::uint32_t rowKey(int y) const { return mix(std::uint32_t(y) * 0x9e3779b9U ^ seed); }
    // The row's key advanced by x golden-ratio steps and finalised (as SplitMix does); its four
    // bytes are the pixel's four numbers. 256 levels each are far finer than grain needs (the
    // grey mixes three of them), and one hash a pixel is what keeps grain cheap.
    static void sample(std::uint32_t rowKey, int x, float* out) {
        constexpr float unit = 1.0f / 256.0f;
        const std::uint32_t h = mix(rowKey + std::uint32_t(x) * 0x9e3779b9U);
        out[0] = (float(h & 0xffU) + 0.5f) * unit;
        out[1] = (float((h >> 8) & 0xffU) + 0.5f) * unit;
        out[2] = (float((h >> 16) & 0xffU) + 0.5f) * unit;
        out[3] = (float(h >> 24) + 0.5f) * unit;
    }

    // A 32-bit integer finaliser with good avalanche (each input bit flips about half the output).
    static std::uint32_t mix(std::uint32_t h) {
        h ^= h >> 16;
        h *= 0x7feb352dU;
        h ^= h >> 15;
        h *= 0x846ca68bU;
        h ^= h >> 16;
        return h;
    }
};
