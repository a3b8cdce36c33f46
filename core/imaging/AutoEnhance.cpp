#include "core/imaging/AutoEnhance.h"

#include "core/imaging/filters/PixelRow.h"
#include "core/imaging/filters/SrgbTransfer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace autoEnhance {

ImageAnalysis analyze(const QImage& input) {
    ImageAnalysis a;
    if (input.isNull()) return a;
    const QImage image = input.format() == QImage::Format_RGBA8888_Premultiplied
                             ? input
                             : input.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const int step = std::max(1, int(std::sqrt(double(image.width()) * image.height() / 250000.0)));
    std::array<double, 256> histogram{};
    double count = 0, lumaSum = 0, saturationSum = 0, dark = 0, clippedLow = 0, clippedHigh = 0;
    double midCount = 0, red = 0, green = 0, blue = 0;
    for (int y = step / 2; y < image.height(); y += step) {
        const uchar* row = image.constScanLine(y);
        for (int x = step / 2; x < image.width(); x += step) {
            const uchar* p = row + size_t(x) * 4;
            if (p[3] < 128) continue; // transparent parts say nothing about the picture
            const float s = 1.0f / float(p[3]);
            const float r = std::min(1.0f, p[0] * s), g = std::min(1.0f, p[1] * s), b = std::min(1.0f, p[2] * s);
            const float l = lumaOf(r, g, b);
            histogram[std::clamp(int(l * 255.0f + 0.5f), 0, 255)] += 1;
            lumaSum += l;
            saturationSum += std::max({r, g, b}) - std::min({r, g, b});
            dark += l < 0.15f;
            clippedLow += l <= 0.02f;
            clippedHigh += l >= 0.98f;
            if (l > 0.15f && l < 0.9f) {
                red += srgb::toLinear(r);
                green += srgb::toLinear(g);
                blue += srgb::toLinear(b);
                midCount += 1;
            }
            count += 1;
        }
    }
    if (count == 0) return a;
    a.meanLuma = lumaSum / count;
    a.meanSaturation = saturationSum / count;
    a.darkShare = dark / count;
    a.shadowClipping = clippedLow / count;
    a.highlightClipping = clippedHigh / count;
    double seen = 0;
    bool lowFound = false;
    for (int i = 0; i < 256; ++i) {
        seen += histogram[i];
        if (!lowFound && seen >= 0.01 * count) {
            a.lowPercentile = i / 255.0;
            lowFound = true;
        }
        if (seen >= 0.99 * count) {
            a.highPercentile = i / 255.0;
            break;
        }
    }
    if (midCount > 0) {
        a.meanRed = red / midCount;
        a.meanGreen = green / midCount;
        a.meanBlue = blue / midCount;
    }
    return a;
}

std::vector<AutoAdjustment> adjustments(const ImageAnalysis& a) {
    std::vector<AutoAdjustment> chain;

    // White balance: grey-world on the mid-tones, half-way at most and only for a clear but
    // moderate cast; a strong one is more likely the scene's own colour (a sunset, a pink
    // blossom) than the light's, so the nudge fades out as the cast grows. The warmth that evens red and blue is found by a search over
    // the same adaptation the white-balance step applies.
    if (a.meanRed > 0 && a.meanBlue > 0 && a.meanGreen > 0) {
        const double cast = std::log(a.meanBlue / a.meanRed);
        if (std::abs(cast) > 0.06) {
            double best = 0, bestError = std::abs(cast);
            for (int i = -40; i <= 40; ++i) {
                const double kelvin = 6500 + 60.0 * i;
                const auto m = TemperatureAndTint{{kelvin, 0}, {6500, 0}}.matrix();
                const double r = m[0] * a.meanRed + m[1] * a.meanGreen + m[2] * a.meanBlue;
                const double b = m[6] * a.meanRed + m[7] * a.meanGreen + m[8] * a.meanBlue;
                if (r <= 0 || b <= 0) continue;
                const double error = std::abs(std::log(b / r));
                if (error < bestError) {
                    bestError = error;
                    best = kelvin - 6500;
                }
            }
            const double greenCast = std::log(a.meanGreen / std::sqrt(a.meanRed * a.meanBlue));
            // A green picture was lit by a green light: negative tint on the source neutral.
            const double tint = -std::clamp(greenCast * 120.0, -20.0, 20.0) * 0.5;
            const double strength = 0.5 * std::clamp(1.0 - (std::abs(cast) - 0.25) / 0.35, 0.0, 1.0);
            const double shift = std::clamp(strength * best, -1000.0, 1000.0);
            if (std::abs(shift) >= 50) chain.push_back(TemperatureAndTint{{6500 + shift, tint * strength * 2}, {6500, 0}});
        }
    }

    // Exposure: bring the mean luma part of the way to 0.46, never pushing the brightest
    // percent past white.
    if (a.meanLuma > 0.01) {
        const double target = 0.46;
        double ev = 0.6 * std::log2(srgb::toLinearExact(float(target)) / srgb::toLinearExact(float(a.meanLuma)));
        const double headroom = std::log2(1.0 / std::max(1e-3, double(srgb::toLinearExact(float(a.highPercentile)))));
        if (ev > 0) ev = std::min(ev, std::max(0.0, headroom));
        ev = std::clamp(ev, -1.0, 1.0);
        if (std::abs(ev) > 0.05) chain.push_back(ExposureAdjust{ev});
    }

    // Contrast: a flat histogram (narrow spread between the 1st and 99th percentiles) gains.
    const double spread = a.highPercentile - a.lowPercentile;
    if (spread < 0.8) {
        const double contrast = std::min(1.25, 1.0 + 0.35 * (0.8 - spread));
        if (contrast > 1.01) chain.push_back(ColorControls{0, contrast, 1});
    }

    // Vibrance for dull pictures.
    if (a.meanSaturation < 0.22) {
        const double amount = std::min(0.35, (0.22 - a.meanSaturation) * 2.0);
        if (amount > 0.02) chain.push_back(Vibrance{amount});
    }

    // Shadows and highlights: open up large dark areas, hold back clipped highlights.
    HighlightShadowAdjust tones;
    if (a.darkShare > 0.12) tones.shadowAmount = std::min(0.45, (a.darkShare - 0.12) * 1.5 + 0.1);
    if (a.highlightClipping > 0.01) tones.highlightAmount = std::max(0.6, 1.0 - a.highlightClipping * 4.0);
    if (tones.shadowAmount > 0 || tones.highlightAmount < 1) chain.push_back(tones);
    return chain;
}

} // namespace autoEnhance
