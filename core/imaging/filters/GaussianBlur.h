#pragma once

// Gaussian blur of a single-channel float plane, in place, edges clamped. `sigma` is the
// standard deviation in pixels (what the filters call their radius). From sigma 2 up it is the
// Young–van Vliet recursive filter, forward and backward along rows then columns: six
// multiply-adds per sample whatever the radius. Below that a direct kernel of radius ceil(3σ)
// is both cheaper and more exact; under 0.2 the blur is the identity to 8-bit precision and
// is skipped. Rows and column strips run in parallel bands. In single precision the recursion
// holds a flat plane to about 1e-5 up to sigma 12; beyond that its rounding, fed back through
// poles ever nearer 1, grows with sigma (some 1e-4 at 20, 1e-2 at a few hundred), so wider
// blurs reduce the plane first, as BlurredLuminance does (its sigma here stays under about 6).
void gaussianBlurPlane(float* plane, int width, int height, double sigma);
