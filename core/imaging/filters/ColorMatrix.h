#pragma once

#include <array>

// A 4 x 4 matrix plus bias on (r, g, b, a): each output component is the dot product of its
// vector with the input plus its bias. The defaults are the identity.
struct ColorMatrix {
    std::array<float, 4> rVector{1, 0, 0, 0};    // inputRVector
    std::array<float, 4> gVector{0, 1, 0, 0};    // inputGVector
    std::array<float, 4> bVector{0, 0, 1, 0};    // inputBVector
    std::array<float, 4> aVector{0, 0, 0, 1};    // inputAVector
    std::array<float, 4> biasVector{0, 0, 0, 0}; // inputBiasVector

    void apply(float* rgba) const;
};
