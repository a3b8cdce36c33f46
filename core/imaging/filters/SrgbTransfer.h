#pragma once

// The sRGB transfer curve. Colour steps work on sRGB-encoded values; the steps that model light
// (exposure, white balance, vignetting) decode to linear light, act, and encode again. The fast
// forms read tables over 0...4 with linear interpolation (error below 1e-4, far under one 8-bit
// level) and fall back to the exact curve outside, so values pushed beyond the gamut by an
// earlier step survive. The curve is mirrored for negative values.
namespace srgb {

float toLinearExact(float encoded);
float toEncodedExact(float linear);

float toLinear(float encoded);
float toEncoded(float linear);

// 8-bit code value to 0...1.
float unitFromByte(int value);

} // namespace srgb
