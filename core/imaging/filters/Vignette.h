#pragma once

#include "core/imaging/filters/PixelRow.h"

#include <array>

// Lens vignetting: light falls off towards the corners. With d the distance from the frame's
// centre over its half-diagonal and x = 2d / radius, the light is multiplied by
// (1 − 0.75 × smoothstep(0.25, 1.1, x))^intensity: untouched in the middle, darkest in the
// corners, a larger radius pushing the fall-off outwards; the power lets strong settings deepen
// the corners without ever turning them flat black. The gain is meant for linear light; on encoded
// values it is applied as gain^(1/2.2), the same thing for the power-law part of the curve,
// so the darkening looks optical rather than like a grey overlay. Negative intensities brighten the edges instead.
struct Vignette {
    double intensity = 0; // inputIntensity
    double radius = 1;    // inputRadius

    // Encoded-space gains over the squared normalised distance; build once per render.
    struct Table {
        static constexpr int kEntries = 1025;
        std::array<float, kEntries> gain{};
    };
    Table table() const;
    static void apply(const Table& table, PixelRow& row);
};
