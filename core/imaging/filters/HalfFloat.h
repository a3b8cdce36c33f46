#pragma once

#include <cstdint>

// IEEE half floats (binary16), rounded to nearest with ties to even, as the processor's own
// conversion rounds: the wide path uses that conversion, the others give the same bits.
namespace halfFloat {

std::uint16_t fromFloat(float value);
float toFloat(std::uint16_t half);

void fromFloats(const float* in, int count, std::uint16_t* out);
void toFloats(const std::uint16_t* in, int count, float* out);

} // namespace halfFloat
