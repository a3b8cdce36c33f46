#pragma once

#include "core/imaging/HalfPlanes.h"
#include "core/model/EditAdjustments.h"

#include <QSize>

// A render's working image at the input of its vignette and grain, held by the caller between
// renders: a later render of the same source whose recipe differs at most in those two runs
// them alone, with the geometry (see ImageRenderEngine). It names what it was made from, and
// the engine resumes from it only when that matches.
struct RenderCheckpoint {
    qint64 source = 0; // the source bitmap's cacheKey
    QSize sourceSize;
    EditAdjustments recipe; // as positionFree() gives it
    bool includeCrop = true;
    double scale = 1.0;
    HalfPlanes pixels;
    int resumes = 0; // renders served from it

    // The recipe as far as the checkpoint depends on it: vignette and grain neutral, and the
    // frame and the watermark, which the render never reads, left out.
    static EditAdjustments positionFree(EditAdjustments recipe) {
        recipe.vignette = 0;
        recipe.grain = 0;
        recipe.watermark = WatermarkSettings{};
        recipe.beautify = BeautifySettings{};
        return recipe;
    }
    bool isEmpty() const { return pixels.isNull(); }
    qint64 bytes() const { return pixels.bytes(); }
    void clear() { *this = RenderCheckpoint{}; }
};
