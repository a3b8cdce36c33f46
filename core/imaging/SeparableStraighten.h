#pragma once

#include "core/imaging/PlanarBytes.h"

#include <QImage>
#include <QSize>

// Straightening as two one-dimensional Catmull-Rom passes instead of one 4 x 4 pass. The output
// pixel (u, v) reads the picture at x = a u + b v + c, y = d u + e v + f (pixel indices).
// Solving the first equation for u turns the second into y = (d / a) x + e' v + f': so for each
// output row the picture's columns can first be resampled down themselves, at that row's
// y(x), into one intermediate row S(x), and the output row then interpolates S along itself at
// x(u). For an affine map the two passes compose to the same map (Catmull and Smith's two-pass
// transform), and at small angles they interpolate as the 4 x 4 filter does to within rounding;
// each pixel costs 4 + 4 taps instead of 16, and the intermediate is a single row that stays in
// cache. Taps beyond the picture clamp to its edge, as the 4 x 4 filter does.
//
// It suits the maps a straighten of up to about eight degrees makes without a flip or a turn
// (rows stay mostly rows, left to right); `suits` says when, and the caller keeps the 4 x 4
// filter for the rest.
namespace separableStraighten {

struct Map {
    double a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;
};

bool suits(const Map& map);

// The output of `size` (RGBA8 premultiplied) from `picture`, or a null image when memory runs
// out.
QImage apply(const PlanarBytes& picture, const Map& map, QSize size);

} // namespace separableStraighten
