#pragma once

#include "core/model/RGBAColor.h"

#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

// The "magic colour key": a mask that removes the pixels close to one colour. Distances are
// Euclidean in 0...255 byte units and compared squared, as integers; a square root is taken only
// on the soft ramp between the inner and the outer radius.
struct ColorKeyRadii {
    int inner = 0;    // t: at or within, a pixel is background (mask 0)
    int softness = 0; // s: width of the ramp
    int outer = 0;    // o = t + s: beyond, a pixel is subject (mask 255)

    // t = round(tolerance × 441.67), s = max(trunc(t × 0.35), 12). Tolerance is limited to 0...1
    // (NaN counts as 0), so 1 covers every colour and nothing gives a negative radius.
    static ColorKeyRadii forTolerance(double tolerance);

    // The mask byte of a pixel at squared distance `d2` from the target.
    std::uint8_t maskValue(int d2) const {
        if (d2 <= inner * inner) return 0;
        if (d2 > outer * outer) return 255;
        return rampValue(d2);
    }
    std::uint8_t rampValue(int d2) const;

    bool operator==(const ColorKeyRadii&) const = default;
};

struct ColorKeyOptions {
    RGBAColor target = RGBAColor::white; // alpha ignored
    double tolerance = 0.22;
    // True: only background reached from the border through background-coloured pixels goes.
    bool contiguous = true;
};

// One mask byte per pixel (rows top to bottom, width × height), 255 = keep. The distances use the
// image's premultiplied RGBA bytes. Nothing when the image is empty or cannot be converted.
std::optional<std::vector<std::uint8_t>> colorKeyMaskBytes(const QImage& image, const ColorKeyOptions& options);

// The same mask as an opaque image whose grey level is the mask byte.
QImage maskBytesToImage(const std::vector<std::uint8_t>& mask, int width, int height);
