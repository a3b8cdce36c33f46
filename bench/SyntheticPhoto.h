#pragma once

// The picture and the edit the render figures share: a synthetic photo with fine pseudo-random
// texture (a worst case for the colour tables' caches) and every slider off neutral with a look.
#include "core/model/EditAdjustments.h"

#include <QImage>
#include <algorithm>

inline QImage texturedPhoto(int width, int height) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x, row += 4) {
            const double u = double(x) / width, v = double(y) / height;
            const double detail = double((x * 37 + y * 91 + (x * y) % 23) % 64) / 63.0;
            row[0] = uchar(255 * std::clamp(0.2 + 0.6 * u + 0.15 * detail, 0.0, 1.0));
            row[1] = uchar(255 * std::clamp(0.15 + 0.5 * v + 0.2 * detail, 0.0, 1.0));
            row[2] = uchar(255 * std::clamp(0.7 - 0.5 * u * v + 0.1 * detail, 0.0, 1.0));
            row[3] = 255;
        }
    }
    return image;
}

inline EditAdjustments everySliderRecipe() {
    EditAdjustments a;
    a.exposure = 0.3;
    a.brightness = 0.03;
    a.contrast = 1.1;
    a.saturation = 1.1;
    a.vibrance = 0.3;
    a.warmth = 0.2;
    a.tint = 0.1;
    a.highlights = 0.8;
    a.shadows = 0.3;
    a.clarity = 0.5;
    a.sharpness = 0.5;
    a.vignette = 0.4;
    a.grain = 0.3;
    a.filterPreset = PhotoFilterPreset::coolMatte;
    return a;
}

// The same with straighten and crop: the recipe of the full-resolution and region figures.
inline EditAdjustments everySliderStraightenedAndCropped() {
    EditAdjustments a = everySliderRecipe();
    a.straightenDegrees = 3;
    a.cropRect = NormalizedCropRect(0.05, 0.05, 0.9, 0.9);
    return a;
}
