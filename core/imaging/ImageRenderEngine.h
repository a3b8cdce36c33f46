#pragma once

#include "core/model/EditAdjustments.h"

#include <QImage>
#include <optional>

class RenderPlan;
struct RenderCheckpoint;

// Renders a recipe onto a bitmap: automatic enhancement, light and colour, the look, detail
// (clarity, sharpness), vignette and grain, then flips, quarter turns, straightening and crop.
// Stateless and safe to share; each render builds its own plan and keeps nothing.
class ImageRenderEngine {
public:
    ImageRenderEngine() = default;

    // `source` is upright; `sourceScale` is its size relative to the full-resolution image it
    // stands for (a 1800-pixel preview of a 6000-pixel photo passes 0.3). Radii measured in
    // pixels — clarity's 12, the sharpening and highlight/shadow blurs — are meant for the full
    // image and shrink with the preview, so the preview looks like the export. Returns a new
    // RGBA8 premultiplied sRGB bitmap, or `source` itself when there is nothing to do or nothing
    // can be drawn.
    QImage render(const QImage& source, const EditAdjustments& adjustments, bool includeCrop,
                  double sourceScale = 1.0) const;
    // The same for a caller that gives the source up (an export): when nothing moves, the
    // result is written over the source's own pixels, so a full-resolution render holds one
    // bitmap instead of two. If the render runs out of memory half-way the result is a null
    // image, never a half-rendered one.
    QImage render(QImage&& source, const EditAdjustments& adjustments, bool includeCrop,
                  double sourceScale = 1.0) const;

    // render() for a caller that renders one source again and again (the live preview), with
    // `checkpoint` kept between renders: when it was filled from this source bitmap, scale and
    // crop flag and a recipe that differs from this one at most in vignette and grain, only
    // those two steps and the geometry run, and the result is the same bytes as from scratch.
    // Otherwise the whole recipe runs and, when `fill`, the checkpoint is emptied and filled
    // anew where that pays (a preview-sized source whose recipe has detail steps before
    // vignette and grain) and memory allows.
    QImage render(const QImage& source, const EditAdjustments& adjustments, bool includeCrop, double sourceScale,
                  RenderCheckpoint& checkpoint, bool fill) const;

    // The same renders for the output paths (exports, saved files), which must not write the
    // unedited photo in place of the edit: nothing when the render could not be made (no
    // memory, a size beyond the decode limits, a crop with no pixels left), where render()
    // would give the source back. When there is nothing to do the result is the source itself.
    // The moving form may have written over `source` when it gives nothing.
    std::optional<QImage> tryRender(const QImage& source, const EditAdjustments& adjustments,
                                    bool includeCrop, double sourceScale = 1.0) const;
    std::optional<QImage> tryRender(QImage&& source, const EditAdjustments& adjustments, bool includeCrop,
                                    double sourceScale = 1.0) const;

    // The colour and detail steps of the recipe for `input` (RGBA8 premultiplied; automatic
    // enhancement reads it), in their order, at `sourceScale` as above. Every render builds its
    // plan here, so a render of part of the image (ImageRegionRenderer) runs the same steps.
    static void planRecipe(RenderPlan& plan, const QImage& input, const EditAdjustments& adjustments,
                           double sourceScale);

private:
    std::optional<QImage> renderSteps(const QImage& source, QImage* reusable,
                                      const EditAdjustments& adjustments, bool includeCrop,
                                      double sourceScale, RenderCheckpoint* checkpoint = nullptr,
                                      bool fill = false) const;
};
