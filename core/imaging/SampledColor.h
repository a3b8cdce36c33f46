#pragma once

#include <QString>

// One pixel's colour, not premultiplied, each channel 0...255; `a` is the pixel's own alpha.
struct SampledColor {
    int r = 0;
    int g = 0;
    int b = 0;
    int a = 255;

    // "#RRGGBB" in upper-case hexadecimal; alpha is not shown.
    QString hexString() const;
    // "rgb(r, g, b)" in decimal.
    QString rgbString() const;
    // "hsl(h, s%, l%)" with hue in degrees and saturation and lightness in percent, whole numbers.
    QString hslString() const;

    bool operator==(const SampledColor&) const = default;
};
