#pragma once

#include <QImage>
#include <optional>

// Scales a bitmap to exactly `width` × `height` with libvips' Lanczos-3 resampling, working on
// the premultiplied pixels as they are (so transparent pixels don't bleed their colour into the
// edges). Nothing when libvips can't do it or the size is beyond what we agree to allocate.
std::optional<QImage> lanczosScaled(const QImage& image, int width, int height);
