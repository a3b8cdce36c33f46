#pragma once

#include "core/imaging/filters/ColorLut3D.h"

#include <optional>

// The six film looks. Each is a designed colour transform of sRGB-encoded colour, baked once
// into a 33³ lookup table (shared, built on first use), so a look costs one table read per pixel.
enum class PhotoEffect { instant, chrome, process, noir, tonal, fade };

namespace photoEffect {

// The designed transform itself (what the table samples).
void transform(PhotoEffect effect, float& r, float& g, float& b);
// The baked table of the effect.
const ColorLut3D& table(PhotoEffect effect);

} // namespace photoEffect
