#pragma once

#include "core/imaging/filters/ColorLut3D.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The last few colour tables built for renders, keyed by what they were built from: the kinds
// and parameter values of the colour steps baked into them. While a slider is dragged, every
// run of steps the slider doesn't touch (the look's, say) bakes to the same table on every
// value, and building one runs 33³ grid points through every step of the run; a remembered one
// costs nothing. Holds no image, only tables; safe to use from any thread.
namespace colorTableMemo {

// Words naming a run of steps exactly: equal keys must mean the same transform.
using Key = std::vector<std::uint64_t>;

// The table remembered under `key`, or `build()`'s result, then remembered in place of the
// least recently used one. A table in use stays valid after it is forgotten. Two threads asking
// for the same new key at once may both build it; either result is the same table.
std::shared_ptr<const ColorLut3D> obtain(const Key& key, const std::function<ColorLut3D()>& build);

// How many tables are remembered at most (each about half a megabyte).
constexpr int kCapacity = 4;

} // namespace colorTableMemo
