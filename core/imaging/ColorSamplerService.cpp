#include "core/imaging/ColorSamplerService.h"

#include <algorithm>
#include <cmath>

namespace {

// floor(unit × extent) clamped to the pixel range; done in double so that huge or infinite
// coordinates clamp instead of overflowing the integer conversion.
int pixelIndex(double unit, int extent) {
    const double index = std::floor(unit * extent);
    return static_cast<int>(std::clamp(index, 0.0, static_cast<double>(extent - 1)));
}

} // namespace

std::optional<SampledColor> ColorSamplerService::sampleColor(const QImage& image, double normalizedX,
                                                             double normalizedY) const {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return std::nullopt;
    // A NaN point names no pixel at all.
    if (std::isnan(normalizedX) || std::isnan(normalizedY)) return std::nullopt;
    const int px = pixelIndex(normalizedX, image.width());
    const int py = pixelIndex(normalizedY, image.height());

    const QImage pixel = image.copy(px, py, 1, 1).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (pixel.isNull() || pixel.width() != 1 || pixel.height() != 1) return std::nullopt;
    const uchar* bytes = pixel.constScanLine(0);
    int r = bytes[0];
    int g = bytes[1];
    int b = bytes[2];
    const int a = bytes[3];
    if (a != 0 && a != 255) {
        // Integer division, rounding down, as the eyedropper has always shown these values.
        r = std::min(r * 255 / a, 255);
        g = std::min(g * 255 / a, 255);
        b = std::min(b * 255 / a, 255);
    }
    return SampledColor{r, g, b, a};
}
