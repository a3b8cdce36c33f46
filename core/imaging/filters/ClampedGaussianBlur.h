#pragma once

#include <QImage>
#include <QRect>
#include <optional>

// Gaussian blur of a whole RGBA8 premultiplied bitmap (or an 8-bit mask: Alpha8 and Grayscale8
// stay one channel, other formats are converted), or of a window of it, with the edges
// repeated outward (the image clamped to its extent, so borders neither darken nor fade to
// transparent). `sigma` is the standard deviation in pixels. The cost does not grow with sigma:
// large sigmas run three extended box passes per axis, small ones a direct kernel. Bands run on
// the global thread pool. The blur is symmetric, so rows top to bottom need no conversion from
// the y-up filter plane beyond the rectangle itself.

// The whole image blurred; the image itself for sigma ≤ 0 or an empty image.
QImage clampedGaussianBlur(const QImage& image, double sigma);

// Only the pixels of `region` (pixel coordinates, rows top to bottom) of the blurred image, as a
// bitmap of region's size. The region may extend past the image: those pixels come from the
// clamped edges, as a blur of the clamped image would give. Only the neighbourhood the kernel
// reaches is read, so a small region of a large image costs little. Nothing when the region is
// empty, sigma is not a number or the region is too large to allocate.
std::optional<QImage> clampedGaussianBlurRegion(const QImage& image, double sigma, const QRect& region);
