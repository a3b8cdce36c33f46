#pragma once

#include "core/model/EditAdjustments.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <optional>

// Part of a full-resolution render: the output pixels of one rectangle of what
// ImageRenderEngine::render(source, adjustments, includeCrop) makes at scale 1, computed from
// the source pixels that rectangle needs (plus the reach of the blurs) instead of the whole
// photo. The canvas shows a 24-megapixel photo at its own pixels this way without rendering,
// or holding, all of it. The steps are the engine's own (ImageRenderEngine::planRecipe), and
// positions, blurs and the automatic enhancement see the whole frame, so the rectangle matches
// the same pixels of the full render to within a level. Stateless; safe to share across threads.
class ImageRegionRenderer {
  public:
    // The size of the full render's result for a source of `sourceSize`.
    static QSize outputSize(QSize sourceSize, const EditAdjustments& adjustments, bool includeCrop);

    // `region` is in output pixels from the top-left corner; the part outside the output is
    // dropped. The result has the size of what is left, in RGBA8 premultiplied sRGB (the
    // source's own format when the recipe changes nothing). Nothing when nothing is left or
    // memory runs out.
    std::optional<QImage> render(const QImage& source, const EditAdjustments& adjustments, bool includeCrop,
                                 const QRect& region) const;
};
