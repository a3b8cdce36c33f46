#pragma once

#include "core/imaging/SampledColor.h"

#include <QImage>
#include <optional>

// Reads the colour of one pixel under a unit point (x from the left, y from the top). Stateless.
class ColorSamplerService {
public:
    // Absent when the image is empty or the pixel cannot be read; never fails otherwise.
    std::optional<SampledColor> sampleColor(const QImage& image, double normalizedX, double normalizedY) const;
};
