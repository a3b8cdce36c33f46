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

    void apply(float* c) const {
        const float r = c[0], g = c[1], b = c[2], a = c[3];
        auto dot = [&](const std::array<float, 4>& v) { return v[0] * r + v[1] * g + v[2] * b + v[3] * a; };
        c[0] = dot(rVector) + biasVector[0];
        c[1] = dot(gVector) + biasVector[1];
        c[2] = dot(bVector) + biasVector[2];
        c[3] = dot(aVector) + biasVector[3];
    }
};
