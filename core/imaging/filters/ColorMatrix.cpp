#include "core/imaging/filters/ColorMatrix.h"

void ColorMatrix::apply(float* c) const {
    const float r = c[0], g = c[1], b = c[2], a = c[3];
    auto dot = [&](const std::array<float, 4>& v) { return v[0] * r + v[1] * g + v[2] * b + v[3] * a; };
    c[0] = dot(rVector) + biasVector[0];
    c[1] = dot(gVector) + biasVector[1];
    c[2] = dot(bVector) + biasVector[2];
    c[3] = dot(aVector) + biasVector[3];
}
