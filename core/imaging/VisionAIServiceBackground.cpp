#include "core/imaging/VisionAIService.h"

#include "core/imaging/ColorKey.h"
#include "core/imaging/ColorSamplerService.h"
#include "core/imaging/SubjectSegmentation.h"
#include "core/imaging/filters/ClampedGaussianBlur.h"

#include <algorithm>
#include <cmath>

namespace {

QImage asPremultiplied(const QImage& image) {
    return image.format() == QImage::Format_RGBA8888_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

// A grey mask (any format) as an opaque RGBA image with the grey in every colour byte.
QImage opaqueMask(const QImage& grey) {
    if (grey.format() != QImage::Format_Grayscale8) return asPremultiplied(grey);
    QImage mask(grey.size(), QImage::Format_RGBA8888_Premultiplied);
    if (mask.isNull()) return {};
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = mask.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = in[x];
            out[4 * x + 3] = 255;
        }
    }
    return mask;
}

struct Rgb {
    double r, g, b;
};

QImage constantImage(int width, int height, double r, double g, double b, double a) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) return {};
    auto byte = [a](double c) { return static_cast<uchar>(std::lround(std::clamp(c * a, 0.0, 1.0) * 255.0)); };
    const uchar px[4] = {byte(r), byte(g), byte(b), static_cast<uchar>(std::lround(std::clamp(a, 0.0, 1.0) * 255.0))};
    for (int y = 0; y < height; ++y) {
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x) std::copy(px, px + 4, out + 4 * x);
    }
    return image;
}

// From the top-left corner (start colour) to the bottom-right corner (end colour): each pixel
// centre projected on the diagonal.
QImage diagonalGradient(int width, int height, Rgb start, Rgb end) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) return {};
    const double length2 = static_cast<double>(width) * width + static_cast<double>(height) * height;
    for (int y = 0; y < height; ++y) {
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double t = std::clamp(((x + 0.5) * width + (y + 0.5) * height) / length2, 0.0, 1.0);
            auto mix = [t](double a, double b) {
                return static_cast<uchar>(std::lround(std::clamp(a + (b - a) * t, 0.0, 1.0) * 255.0));
            };
            out[4 * x] = mix(start.r, end.r);
            out[4 * x + 1] = mix(start.g, end.g);
            out[4 * x + 2] = mix(start.b, end.b);
            out[4 * x + 3] = 255;
        }
    }
    return image;
}

QImage backgroundFor(const QImage& source, const BackgroundStudioSettings& settings) {
    const int w = source.width(), h = source.height();
    switch (settings.fillStyle) {
    case BackgroundFillStyle::transparent: return constantImage(w, h, 0, 0, 0, 0);
    case BackgroundFillStyle::portraitBlur: {
        const double radius = std::isfinite(settings.blurRadius) ? std::max(settings.blurRadius, 4.0) : 4.0;
        QImage blurred = clampedGaussianBlur(source, radius);
        return blurred.isNull() ? source : blurred;
    }
    case BackgroundFillStyle::studioWhite: return constantImage(w, h, 1, 1, 1, 1);
    case BackgroundFillStyle::studioBlack: return constantImage(w, h, 0.05, 0.055, 0.07, 1);
    case BackgroundFillStyle::sunsetGradient: return diagonalGradient(w, h, {0.99, 0.44, 0.24}, {0.56, 0.14, 0.44});
    case BackgroundFillStyle::oceanGradient: return diagonalGradient(w, h, {0.08, 0.68, 0.92}, {0.07, 0.18, 0.48});
    case BackgroundFillStyle::auroraGradient: return diagonalGradient(w, h, {0.14, 0.78, 0.60}, {0.36, 0.22, 0.86});
    case BackgroundFillStyle::customColor: {
        const RGBAColor& c = settings.customFillColor;
        return constantImage(w, h, c.r, c.g, c.b, 1);
    }
    }
    return constantImage(w, h, 0, 0, 0, 0);
}

QImage featheredMask(const QImage& soft, double edgeFeather) {
    QImage mask = opaqueMask(soft);
    if (mask.isNull()) throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    if (std::isfinite(edgeFeather) && edgeFeather > 0.05) {
        QImage blurred = clampedGaussianBlur(mask, edgeFeather);
        if (blurred.isNull()) throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
        mask = blurred;
    }
    return mask;
}

QImage colorKeyMask(const QImage& source, const ColorKeyOptions& options) {
    const auto bytes = colorKeyMaskBytes(source, options);
    if (!bytes) throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    QImage mask = maskBytesToImage(*bytes, source.width(), source.height());
    if (mask.isNull()) throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    return mask;
}

} // namespace

QImage VisionAIService::removeBackground(const QImage& source, const BackgroundStudioSettings& settings) const {
    const QImage mask = generateSubjectMask(source, settings);
    return compositeWithBackground(source, mask, settings);
}

QImage VisionAIService::generateSubjectMask(const QImage& source, const BackgroundStudioSettings& settings) const {
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    switch (settings.engine) {
    case BackgroundCutoutEngine::colorKeyMagic:
        return colorKeyMask(source, {settings.colorKeyTarget, settings.colorKeyTolerance, settings.colorKeyContiguous});
    case BackgroundCutoutEngine::portraitAI:
        return featheredMask(segmentPerson(source), settings.edgeFeather);
    case BackgroundCutoutEngine::autoAI:
        break;
    }
    // Subject first (which covers people), then people alone, then a key on the corner colour.
    try {
        return featheredMask(segmentSalientSubject(source), settings.edgeFeather);
    } catch (const std::exception&) {
    }
    try {
        return featheredMask(segmentPerson(source), settings.edgeFeather);
    } catch (const std::exception&) {
    }
    ColorKeyOptions options{RGBAColor::white, settings.colorKeyTolerance, true};
    if (const auto sample = ColorSamplerService().sampleColor(source, 0.01, 0.01))
        options.target = RGBAColor{sample->r / 255.0, sample->g / 255.0, sample->b / 255.0, 1};
    return colorKeyMask(source, options);
}

QImage VisionAIService::compositeWithBackground(const QImage& source, const QImage& mask,
                                                const BackgroundStudioSettings& settings) const {
    const QImage input = asPremultiplied(source);
    if (input.isNull() || mask.isNull()) throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    QImage weights = opaqueMask(mask);
    // A mask made for another size of the same photo still applies: stretch it over the source.
    if (!weights.isNull() && weights.size() != input.size())
        weights = weights.scaled(input.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage background = asPremultiplied(backgroundFor(input, settings));
    QImage result(input.size(), QImage::Format_RGBA8888_Premultiplied);
    if (weights.isNull() || background.isNull() || result.isNull() || background.size() != input.size())
        throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    for (int y = 0; y < input.height(); ++y) {
        const uchar* src = input.constScanLine(y);
        const uchar* bg = background.constScanLine(y);
        const uchar* m = weights.constScanLine(y);
        uchar* out = result.scanLine(y);
        for (int x = 0; x < input.width(); ++x) {
            const int keep = m[4 * x];
            for (int c = 0; c < 4; ++c)
                out[4 * x + c] = static_cast<uchar>((src[4 * x + c] * keep + bg[4 * x + c] * (255 - keep) + 127) / 255);
        }
    }
    return result;
}

QImage VisionAIService::trimTransparentBorders(const QImage& image, int marginPixels) {
    if (image.isNull() || image.width() < 5 || image.height() < 5) return image;
    const QImage pixels = asPremultiplied(image);
    if (pixels.isNull()) return image;
    const int w = pixels.width(), h = pixels.height();
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (int y = 0; y < h; ++y) {
        const uchar* row = pixels.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            if (row[4 * x + 3] <= 12) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX < 0) return image;
    const int margin = std::clamp(marginPixels, 0, std::max(w, h));
    const int x0 = std::max(minX - margin, 0), y0 = std::max(minY - margin, 0);
    const int x1 = std::min(maxX + margin, w - 1), y1 = std::min(maxY + margin, h - 1);
    QImage cropped = image.copy(x0, y0, std::max(x1 - x0 + 1, 1), std::max(y1 - y0 + 1, 1));
    return cropped.isNull() ? image : cropped;
}
