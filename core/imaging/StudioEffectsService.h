#pragma once

#include "core/imaging/BeautifyFrameBackdrop.h"
#include "core/imaging/ImageHistogram.h"
#include "core/model/BeautifySettings.h"
#include "core/model/WatermarkSettings.h"

#include <QImage>
#include <optional>

// Draws the recipe's two studio effects onto an already rendered bitmap (the watermark first,
// then the frame around the watermarked image) and computes the inspector's histogram. Holds no
// state. Never reports an error: whatever can't be drawn gives back the input bitmap itself.
class StudioEffectsService {
public:
    // A bitmap of the input's size with the text drawn on it; the input itself when the
    // watermark is off, its text is only white space, or the canvas can't be made.
    QImage applyWatermark(const WatermarkSettings& settings, const QImage& image) const;

    // The larger canvas with the gradient wallpaper, the shadowed rounded card and the photo
    // unscaled in it; the input itself when the frame is off or the canvas can't be made.
    QImage applyBeautifyFrame(const BeautifySettings& settings, const QImage& image) const;

    // The same for the output paths, which must not write the photo without the effect the
    // user asked for: nothing when the effect is on but can't be drawn (a canvas beyond the
    // size limits or out of memory, a face larger than the image allows); the input itself
    // when the effect is off.
    std::optional<QImage> tryApplyWatermark(const WatermarkSettings& settings, const QImage& image) const;
    std::optional<QImage> tryApplyBeautifyFrame(const BeautifySettings& settings, const QImage& image) const;

    // The watermark drawn straight onto `canvas` (RGBA8 premultiplied, written in place), for a
    // caller that wants to take it off again: `under` receives the pixels it may change, as they
    // were, and `underAt` where they sit; restorePixels puts them back exactly. Gives what
    // tryApplyWatermark gives, without a copy of the whole picture. False, with the canvas as it
    // was, when the watermark is off, can't be drawn, or is tiled over the whole picture.
    bool drawWatermarkInPlace(const WatermarkSettings& settings, QImage& canvas, QImage& under,
                              QPoint& underAt) const;
    static void restorePixels(QImage& canvas, const QImage& under, QPoint at);

    // The frame in two halves, for a caller that frames many photos of one size with the same
    // settings: the backdrop depends on the settings and the photo's size alone, and
    // composeBeautifyFrame(makeBeautifyFrameBackdrop(s, photo.size()), photo) is byte for byte
    // tryApplyBeautifyFrame(s, photo) with the frame on. Nothing when the canvas can't be made
    // or the photo doesn't fit the backdrop. `previous`, a backdrop made before, lends the parts
    // that don't depend on what changed (the card's edge when only the padding or the aspect
    // ratio did).
    std::optional<BeautifyFrameBackdrop> makeBeautifyFrameBackdrop(const BeautifySettings& settings, QSize photoSize,
                                                                   const BeautifyFrameBackdrop* previous = nullptr) const;
    std::optional<QImage> composeBeautifyFrame(const BeautifyFrameBackdrop& backdrop,
                                               const QImage& photo) const;

    // The codec engine's histogram of the bitmap (a fresh engine per call), copied unchanged.
    ImageHistogram computeHistogram(const QImage& image, int bins = 48) const;
};
