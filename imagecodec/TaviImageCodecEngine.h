#pragma once

#include "imagecodec/TaviImageEncodeOptions.h"
#include "imagecodec/TaviImageMetadataSummary.h"
#include "imagecodec/TaviImageRGBHistogram.h"

#include <QByteArray>
#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// Decoding, scaling, encoding and analysis of bitmaps. Stateless: callers make one engine per
// call, and every operation may run on any thread. Bitmaps come out RGBA8888 premultiplied, sRGB.
class TaviImageCodecEngine final {
  public:
    TaviImageCodecEngine() = default;

    // The 18 lower-case extensions the library accepts as input.
    static const QSet<QString>& supportedInputExtensions();

    // The image at `path`, turned upright by its orientation. Throws TaviImageCoreError::unreadableImage.
    QImage loadCGImage(const QString& path) const;
    // Nothing when the file can't be opened as an image. Sizes are those stored, not upright.
    std::optional<TaviImageMetadataSummary> inspectMetadata(const QString& path) const;

    // Exactly `width` × `height` (each raised to at least 1) with a Lanczos filter; the very same
    // bitmap when the size is unchanged, and the input when it can't be scaled.
    QImage resize(const QImage& image, int width, int height) const;
    // The longer side at most max(maxDimension, 16), proportions kept; never enlarges.
    QImage aspectFittedResize(const QImage& image, int maxDimension) const;

    // Throws TaviImageCoreError::encodingFailed.
    QByteArray encode(const QImage& image, const TaviImageEncodeOptions& options) const;
    // Encodes, creates the missing folders and replaces `path` atomically. Throws
    // TaviImageCoreError or FileSystemError; nothing is written when encoding fails.
    void write(const QImage& image, const QString& path, const TaviImageEncodeOptions& options) const;

    // Bins raised to at least 8; sampled on at most 220 × 220 pixels whatever the bitmap's size.
    TaviImageRGBHistogram computeHistogram(const QImage& image, int bins = 48) const;
    // "#RRGGBB" of the most common colours of a 48 × 48 sample, most common first, at most
    // max(1, maxColors); pixels at alpha 32 or below don't count.
    QStringList extractDominantHexPalette(const QImage& image, int maxColors = 5) const;
};
