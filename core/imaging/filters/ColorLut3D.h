#pragma once

#include "core/imaging/filters/PixelRow.h"

#include <functional>
#include <vector>

// A colour transform sampled on a 33 x 33 x 33 grid over 0...1 and read back with tetrahedral
// interpolation (four taps, exact along the grey axis). Position-independent colour steps are
// baked into one table so that any chain of them costs one lookup per pixel; the designed film
// looks are defined this way. Inputs are clamped into the cube; stored outputs are not, so a
// chain may hand values beyond 0...1 to the next step.
class ColorLut3D {
public:
    static constexpr int kSize = 33;
    using Transform = std::function<void(float& r, float& g, float& b)>;
    // The same over arrays, `n` values of each component at a time: one call per grid row, so
    // a chain of steps costs no call per grid point and each step's loop may run lane-parallel.
    using RowTransform = std::function<void(float* r, float* g, float* b, int n)>;

    ColorLut3D() = default;
    // Samples `transform` at every grid point (in parallel bands).
    explicit ColorLut3D(const Transform& transform);
    explicit ColorLut3D(const RowTransform& transform);

    bool isEmpty() const { return table_.empty(); }
    void apply(float& r, float& g, float& b) const;
    void apply(PixelRow& row) const;
    // The same, also writing each result's luma (lumaOf) to `luma` (row.count values), when not
    // null: the pass that reads the luma right after the lookup saves a sweep over the row.
    void apply(PixelRow& row, float* luma) const;

private:
    std::vector<float> table_; // (b * kSize + g) * kSize + r, four floats each (the last unused)
};
